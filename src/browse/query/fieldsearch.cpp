#include "browse/query/fieldsearch.h"

#include "framework/userinterface.h"

#include <optional>

namespace pk {

namespace {

QString withoutTrailingBlanks(const QString &s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == u' ')
        --n;
    return s.left(n);
}

} // namespace

FieldSearch::FieldSearch(const QString &description)
{
    QStringList parts;
    qsizetype start = 0;
    while (start < description.size()) {
        qsizetype bar = description.indexOf(u'|', start);
        if (bar < 0)
            bar = description.size();
        parts.append(description.mid(start, bar - start).left(MaxPart));
        start = bar + 1;
        if (parts.size() == 3) {
            m_labels.append(parts.at(0));
            m_pictures.append(parts.at(1));
            m_fieldNames.append(parts.at(2));
            parts.clear();
        }
    }
}

void FieldSearch::open(const FieldSearchMemory &memory)
{
    m_current = m_labels.isEmpty() ? -1 : 0;
    if (!memory.label.isEmpty()) {
        const int row = static_cast<int>(m_labels.indexOf(withoutTrailingBlanks(memory.label)));
        if (row >= 0)
            m_current = row;
    }
    m_value.clear();
    m_searched.clear();
    m_expression.clear();
    if (!memory.value.isEmpty())
        setValue(memory.value);
}

void FieldSearch::setCurrentField(int row)
{
    m_current = row >= 0 && row < m_labels.size() ? row : -1;
    rebuild();
}

QString FieldSearch::currentPicture() const
{
    return m_current < 0 ? QString() : m_pictures.at(m_current);
}

void FieldSearch::setValue(const QString &value)
{
    m_value = value.left(MaxValue);
    rebuild();
}

void FieldSearch::rebuild()
{
    if (m_current < 0) {
        m_searched = m_value;
        m_expression.clear();
        return;
    }
    m_searched = searchedValue(m_value, m_pictures.at(m_current));
    m_expression = matchExpression(m_fieldNames.at(m_current), m_searched);
}

std::optional<QString> FieldSearch::find(bool next,
                                         FieldSearchMemory &memory,
                                         UserInterface &ui) const
{
    if (m_current < 0) {
        ui.message(QStringLiteral("Error"),
                   QStringLiteral("Select a field first."),
                   UserInterface::Icon::Warning);
        return std::nullopt;
    }
    memory.label = m_labels.at(m_current);
    memory.value = m_value;
    if (next)
        memory.findNext = true;
    return m_expression;
}

QString FieldSearch::searchedValue(const QString &value, const QString &picture)
{
    const bool wild = value.contains(u'*') || value.contains(u'?');
    if (!wild && picture.toLower().contains(u's'))
        return u'*' + withoutTrailingBlanks(value) + u'*';
    return value;
}

QString FieldSearch::matchExpression(const QString &fieldName, const QString &pattern)
{
    QString quoted = pattern;
    quoted.replace(u'\'', QStringLiteral("''"));
    return QStringLiteral("MATCH(") + withoutTrailingBlanks(fieldName) + QStringLiteral(",'")
           + quoted + QStringLiteral("',") + QString::number(MatchIgnoringCase) + u')';
}

} // namespace pk
