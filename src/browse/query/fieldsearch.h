#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace pk {

class UserInterface;

/// What the caller of the "Find..." dialog keeps between searches (read and written).
struct FieldSearchMemory
{
    QString label;         ///< the field last searched (its label)
    QString value;         ///< the value last typed
    bool findNext = false; ///< set when the user chose "Find Next"
};

/**
 * @brief The logic of the "Find..." dialog: which field, which value, and the match expression.
 *
 * The caller describes its searchable fields as triples "label|picture|field name|..."; the
 * search knows nothing of tables. A value without wildcards searched in a text field (picture
 * containing "s") is looked for anywhere in the field: computer becomes *computer*. The result
 * is MATCH(field,'value',17), a case-insensitive wildcard match the filter language evaluates.
 */
class FieldSearch final
{
public:
    static constexpr int MaxPart = 32;  ///< characters of a label, picture or field name
    static constexpr int MaxValue = 60; ///< characters of the typed value
    static constexpr int MatchIgnoringCase = 17;

    explicit FieldSearch(const QString &description);

    const QStringList &labels() const { return m_labels; }
    const QStringList &pictures() const { return m_pictures; }
    const QStringList &fieldNames() const { return m_fieldNames; }

    /// Chooses the first field, or the remembered one, and shows the remembered value.
    void open(const FieldSearchMemory &memory);

    int currentField() const { return m_current; }
    /// Chooses a field (-1 for none) and rebuilds the expression.
    void setCurrentField(int row);
    QString currentPicture() const;

    const QString &value() const { return m_value; }
    /// Takes a new typed value (at most 60 characters) and rebuilds the expression.
    void setValue(const QString &value);

    const QString &valueAsSearched() const { return m_searched; }
    const QString &expression() const { return m_expression; }

    /**
     * "Find" (next = false) or "Find Next": with a field chosen, writes the label and value back
     * to `memory`, sets its find-next flag for Find Next, and returns the expression; with none,
     * shows "Select a field first." titled "Error" and returns nothing (the dialog stays open).
     */
    std::optional<QString> find(bool next, FieldSearchMemory &memory, UserInterface &ui) const;

    /// The searched form of `value` for a field shown with `picture`.
    static QString searchedValue(const QString &value, const QString &picture);
    /// MATCH(field,'pattern',17) with the pattern's quotes doubled.
    static QString matchExpression(const QString &fieldName, const QString &pattern);

private:
    void rebuild();

    QStringList m_labels;
    QStringList m_pictures;
    QStringList m_fieldNames;
    int m_current = -1;
    QString m_value;
    QString m_searched;
    QString m_expression;
};

} // namespace pk
