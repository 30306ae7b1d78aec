#include "store/recordio.h"

#include "store/fieldtext.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include <sqlite3.h>

#include <QStringList>

#include <limits>

namespace pk::RecordIo {

namespace {

QString text(const QVariant &v)
{
    return v.toString();
}
qint32 num(const QVariant &v)
{
    return static_cast<qint32>(v.toLongLong());
}

} // namespace

QVariantList values(const LocationRecord &r)
{
    return {r.Location,     r.Description,      r.Category,      r.Rating,         r.Keyword,
            r.SiteInfo,     r.LastVisit,        r.LastValidated, int(r.Validated), r.MovedTo,
            r.Comments,     r.UserName,         r.Password,      r.Expires,        r.PageSize,
            r.EmailAddress, r.OriginalFilename, r.Custom1,       r.Custom2,        r.Custom3};
}

QVariantList values(const DetailRecord &r)
{
    return {r.Location, r.Sequence, r.DataLabel, r.DataValue};
}

QVariantList values(const KeywordRecord &r)
{
    return {r.Location, r.Sequence, r.Keyword};
}

QVariantList values(const ConfigurationRecord &r)
{
    return {r.DataType, r.DataValue};
}

QVariantList values(const CategoryRecord &r)
{
    return {r.Category, int(r.Flag), r.Description};
}

QVariantList values(const CatHtmlRecord &r)
{
    return {r.CATEGORY, r.TypeOfHTML, r.HTMLtoAdd};
}

void assign(const QVariantList &v, LocationRecord &r)
{
    if (v.size() < 20)
        return;
    r.Location = text(v[0]);
    r.Description = text(v[1]);
    r.Category = text(v[2]);
    r.Rating = num(v[3]);
    r.Keyword = text(v[4]);
    r.SiteInfo = text(v[5]);
    r.LastVisit = num(v[6]);
    r.LastValidated = num(v[7]);
    r.Validated = static_cast<quint8>(num(v[8]));
    r.MovedTo = text(v[9]);
    r.Comments = text(v[10]);
    r.UserName = text(v[11]);
    r.Password = text(v[12]);
    r.Expires = num(v[13]);
    r.PageSize = num(v[14]);
    r.EmailAddress = text(v[15]);
    r.OriginalFilename = text(v[16]);
    r.Custom1 = text(v[17]);
    r.Custom2 = text(v[18]);
    r.Custom3 = text(v[19]);
}

void assign(const QVariantList &v, DetailRecord &r)
{
    if (v.size() < 4)
        return;
    r.Location = text(v[0]);
    r.Sequence = num(v[1]);
    r.DataLabel = text(v[2]);
    r.DataValue = text(v[3]);
}

void assign(const QVariantList &v, KeywordRecord &r)
{
    if (v.size() < 3)
        return;
    r.Location = text(v[0]);
    r.Sequence = num(v[1]);
    r.Keyword = text(v[2]);
}

void assign(const QVariantList &v, ConfigurationRecord &r)
{
    if (v.size() < 2)
        return;
    r.DataType = text(v[0]);
    r.DataValue = text(v[1]);
}

void assign(const QVariantList &v, CategoryRecord &r)
{
    if (v.size() < 3)
        return;
    r.Category = text(v[0]);
    r.Flag = static_cast<quint8>(num(v[1]));
    r.Description = text(v[2]);
}

void assign(const QVariantList &v, CatHtmlRecord &r)
{
    if (v.size() < 3)
        return;
    r.CATEGORY = text(v[0]);
    r.TypeOfHTML = text(v[1]);
    r.HTMLtoAdd = text(v[2]);
}

void fit(const TableDef &table, QVariantList &values)
{
    for (qsizetype i = 0; i < values.size() && i < qsizetype(table.fields.size()); ++i) {
        const FieldDef &f = table.fields[std::size_t(i)];
        if (!f.isText())
            continue;
        const QString text = values[i].toString();
        // An address is never cut: cut, it is another address. One that is too long is refused
        // where it is stored (LocationManager).
        const int width = qstrcmp(f.column, "Location") == 0 || qstrcmp(f.column, "MovedTo") == 0
                              ? std::numeric_limits<int>::max()
                              : f.width;
        // Most texts fit already: keep them rather than copy them three times.
        const bool fits = text.size() <= width
                          && (text.isEmpty() || text.back() != QLatin1Char(' '));
        if (!fits || values[i].typeId() != QMetaType::QString)
            values[i] = fitToField(text, width);
    }
}

void bind(SQLite::Statement &st, int index, const QVariant &value, QByteArrayList *keep)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        st.bind(index);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Bool:
        st.bind(index, static_cast<int64_t>(value.toLongLong()));
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        st.bind(index, value.toDouble());
        break;
    default: {
        if (value.isNull() && value.typeId() != QMetaType::QString) {
            st.bind(index);
            break;
        }
        // As TEXT, straight from the UTF-8 bytes unless they hold a NUL (which would end them).
        const QByteArray utf8 = value.toString().toUtf8();
        if (utf8.isEmpty()) {
            st.bindNoCopy(index, ""); // a literal outlives any statement
        } else if (utf8.contains('\0')) {
            st.bind(index, utf8.toStdString());
        } else if (keep) {
            keep->append(utf8); // shares the bytes: constData() stays valid
            st.bindNoCopy(index, keep->constLast().constData());
        } else {
            st.bind(index, utf8.constData());
        }
        break;
    }
    }
}

QVariant column(SQLite::Statement &st, int index)
{
    const SQLite::Column c = st.getColumn(index);
    switch (c.getType()) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(c.getInt64());
    case SQLITE_FLOAT:
        return c.getDouble();
    case SQLITE_TEXT: {
        const char *t = c.getText(); // before getBytes(), as SQLite asks
        return QString::fromUtf8(t, c.getBytes());
    }
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(c.getBlob()), c.getBytes());
    default:
        return {};
    }
}

QVariantList row(SQLite::Statement &st, int first, int count)
{
    QVariantList out;
    out.reserve(count);
    for (int i = 0; i < count; ++i)
        out.append(column(st, first + i));
    return out;
}

QString columnList(const TableDef &table)
{
    QStringList cols;
    for (const FieldDef &f : table.fields)
        cols << QString::fromLatin1(f.column);
    return cols.join(QStringLiteral(", "));
}

QString markers(const TableDef &table)
{
    QStringList m;
    for (std::size_t i = 0; i < table.fields.size(); ++i)
        m << QStringLiteral("?");
    return m.join(QStringLiteral(", "));
}

QString assignments(const TableDef &table)
{
    QStringList a;
    for (const FieldDef &f : table.fields)
        a << QString::fromLatin1(f.column) + QStringLiteral(" = ?");
    return a.join(QStringLiteral(", "));
}

} // namespace pk::RecordIo
