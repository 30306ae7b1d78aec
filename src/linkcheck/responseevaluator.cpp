#include "linkcheck/responseevaluator.h"

#include "store/picture.h"

#include <QDate>
#include <QStringList>

#include <limits>

namespace pk {

namespace {

const QString LastModifiedPrefix = QStringLiteral("Last modified:");
const QString ContentPrefix = QStringLiteral("Content:");

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

/// Leading decimal digits of `text` as a page size; an absurd length is capped, not wrapped.
qint32 leadingNumber(const QString &text)
{
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<qint32>::max())
            return std::numeric_limits<qint32>::max();
    }
    return qint32(value);
}

/// Lines split at every CR and every LF; "\r\n" leaves an empty line between them.
QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

/// The code of a status line: the number after the first space. Nothing when the line has no
/// space or the code is not a number.
int statusCodeOf(const QString &line, bool &ok)
{
    ok = false;
    const qsizetype first = line.indexOf(QLatin1Char(' '));
    if (first < 0)
        return 0;
    qsizetype second = line.indexOf(QLatin1Char(' '), first + 1);
    if (second < 0)
        second = line.size();
    const QString code = line.mid(first + 1, second - first - 1);
    return code.toInt(&ok);
}

} // namespace

qint32 ResponseEvaluator::expiryDay(const QString &value)
{
    // Characters 6 to 16 of the upper-cased value: "dd MMM yyyy".
    const QString part = value.toUpper().mid(5, 11);
    if (part.size() != 11 || part.at(2) != QLatin1Char(' ') || part.at(6) != QLatin1Char(' '))
        return 0;
    static const QStringList months = {QStringLiteral("JAN"),
                                       QStringLiteral("FEB"),
                                       QStringLiteral("MAR"),
                                       QStringLiteral("APR"),
                                       QStringLiteral("MAY"),
                                       QStringLiteral("JUN"),
                                       QStringLiteral("JUL"),
                                       QStringLiteral("AUG"),
                                       QStringLiteral("SEP"),
                                       QStringLiteral("OCT"),
                                       QStringLiteral("NOV"),
                                       QStringLiteral("DEC")};
    bool dayOk = false;
    bool yearOk = false;
    const int day = part.left(2).trimmed().toInt(&dayOk);
    const int month = int(months.indexOf(part.mid(3, 3))) + 1;
    const int year = part.mid(7, 4).toInt(&yearOk);
    if (!dayOk || !yearOk || month == 0)
        return 0;
    return DayNumber::fromDate(QDate(year, month, day));
}

ResponseOutcome ResponseEvaluator::evaluate(const QByteArray &header,
                                            const QString &url,
                                            const LocationRecord &record,
                                            qint32 today,
                                            bool withDetails)
{
    ResponseOutcome out;
    out.Validated = record.Validated;
    out.LastValidated = today;
    out.MovedTo = record.MovedTo;
    out.PageSize = record.PageSize;
    out.Expires = record.Expires;
    out.Custom1 = record.Custom1;
    out.Custom2 = record.Custom2;

    const QString tested = url.trimmed();
    const QStringList lines = splitLines(QString::fromUtf8(header));
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        QString value = colon < 0 ? line : line.mid(colon + 1);
        qsizetype blanks = 0;
        while (blanks < value.size()
               && (value.at(blanks) == QLatin1Char(' ') || value.at(blanks) == QLatin1Char('\t')))
            ++blanks;
        value = value.mid(blanks, MaxValueLength);

        const QString upper = line.toUpper();
        const QString tag = upper.left(4);
        if (tag == QLatin1String("HTTP")) {
            bool ok = false;
            const int code = statusCodeOf(line, ok);
            if (!ok)
                continue;
            out.statusCode = code;
            out.sawStatusLine = true;
            out.statusLine = line.left(MaxStatusDetailLength);
            if (withDetails)
                out.details.push_back(out.statusLine);
            out.Validated = code >= 300 ? 2 : 1;
        } else if (tag == QLatin1String("LOCA")) {
            if (value.compare(tested, Qt::CaseInsensitive) != 0) {
                out.MovedTo = value;
                out.Validated = 1;
            }
        } else if (tag == QLatin1String("CONT")) {
            if (upper.contains(QLatin1String("LENGTH:")))
                out.PageSize = leadingNumber(value);
            if (upper.contains(QLatin1String("LOCATION:"))
                && value.compare(tested, Qt::CaseInsensitive) != 0)
                out.MovedTo = value;
            if (upper.contains(QLatin1String("TYPE:"))
                && (isBlank(out.Custom2) || out.Custom2.startsWith(ContentPrefix)))
                out.Custom2 = QStringLiteral("Content: ") + value;
        } else if (tag == QLatin1String("EXPI")) {
            out.Expires = expiryDay(value);
        } else if (tag == QLatin1String("LAST")) {
            if (isBlank(out.Custom1) || out.Custom1.startsWith(LastModifiedPrefix))
                out.Custom1 = QStringLiteral("Last modified: ") + value;
        }
    }
    // An error page stays an error, wherever it points.
    if (out.sawStatusLine && out.statusCode >= 400)
        out.Validated = 2;
    return out;
}

void ResponseEvaluator::apply(const ResponseOutcome &outcome, LocationRecord &record)
{
    record.Validated = outcome.Validated;
    record.LastValidated = outcome.LastValidated;
    record.MovedTo = outcome.MovedTo;
    record.PageSize = outcome.PageSize;
    record.Expires = outcome.Expires;
    record.Custom1 = outcome.Custom1;
    record.Custom2 = outcome.Custom2;
}

} // namespace pk
