#pragma once

#include <QString>
#include <QStringList>

namespace pk {

/// One queryable field of the query wizard: one row of a field table.
struct QueryField
{
    enum class Type { Text = 1, Number = 2, Date = 4 };
    enum class Control { Entry = 1, CheckBox = 2, DropList = 3 };

    QString prompt;  ///< shown to the user, e.g. "Description of site"
    QString name;    ///< "URL:Description"
    QString picture; ///< "@s255"
    int length = 0;  ///< characters (text) or bytes (numbers)
    Type type = Type::Text;
    Control control = Control::Entry;
    QStringList choices; ///< drop-list texts; for a drop list the stored value is the index

    /// Dates are held as day numbers: an `@d` picture or type 4.
    bool isDate() const
    {
        return type == Type::Date || picture.startsWith(QLatin1String("@d"), Qt::CaseInsensitive);
    }
    bool isText() const { return type == Type::Text && !isDate(); }
    /// The column name: what follows the last colon ("URL:Location" -> "Location").
    QString column() const { return name.mid(name.lastIndexOf(u':') + 1); }
    /// The prefix before the colon ("URL").
    QString prefix() const { return name.left(name.indexOf(u':')); }
};

} // namespace pk
