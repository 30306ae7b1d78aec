#include "linkcheck/responseevaluator.h"

#include "store/picture.h"

#include <QDate>
#include <QStringList>
#include <QUrl>

#include <limits>

namespace pk {

namespace {

const QString LastModifiedPrefix = QStringLiteral("Last modified:");
const QString ContentPrefix = QStringLiteral("Content:");

bool isBlankText(const QString &text)
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

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

/// The scheme a value names ("file" of "file:///etc/passwd"), lower case; empty for a
/// relative reference.
QString schemeOf(const QString &value)
{
    const qsizetype colon = value.indexOf(QLatin1Char(':'));
    if (colon < 1 || !value.at(0).isLetter() || value.at(0).unicode() > 127)
        return {};
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = value.at(i);
        const bool allowed = (c.unicode() < 128 && c.isLetterOrNumber()) || c == QLatin1Char('+')
                             || c == QLatin1Char('-') || c == QLatin1Char('.');
        if (!allowed)
            return {};
    }
    return value.left(colon).toLower();
}

bool isWebScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

/// An address in one form for comparing: default port and empty path made explicit the same
/// way, compared without regard to case.
QString comparable(QUrl url)
{
    const QString scheme = url.scheme().toLower();
    if ((scheme == QLatin1String("http") && url.port() == 80)
        || (scheme == QLatin1String("https") && url.port() == 443))
        url.setPort(-1);
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    url.setFragment(QString());
    return url.toString(QUrl::FullyEncoded).toLower();
}

} // namespace

int ResponseEvaluator::statusLineCode(QStringView line)
{
    // "HTTP/1." digits, one space, three digits, then a space and the reason or the end.
    if (!line.startsWith(QLatin1String("HTTP/1."), Qt::CaseInsensitive))
        return 0;
    qsizetype i = 7;
    const auto digits = [&] {
        const qsizetype start = i;
        while (i < line.size() && isDigit(line.at(i)))
            ++i;
        return i > start;
    };
    if (!digits())
        return 0;
    if (i >= line.size() || line.at(i) != QLatin1Char(' '))
        return 0;
    ++i;
    const qsizetype codeStart = i;
    if (!digits() || i - codeStart != 3)
        return 0;
    if (i < line.size() && line.at(i) != QLatin1Char(' '))
        return 0;
    const int code = line.sliced(codeStart, 3).toInt();
    return code >= 100 && code <= 599 ? code : 0;
}

ResponseEvaluator::Target ResponseEvaluator::redirectTarget(const QString &value,
                                                            const QString &from)
{
    Target target;
    const QString text = value.trimmed();
    if (text.isEmpty())
        return target;
    QString base = from.trimmed();
    if (schemeOf(base).isEmpty())
        base.prepend(QStringLiteral("http://"));
    const QString scheme = schemeOf(text);
    if (!scheme.isEmpty() && !isWebScheme(scheme)) {
        target.kind = Target::NotWeb;
        return target;
    }
    const QUrl baseUrl(base);
    // An address of its own is kept as the server wrote it; a relative one is resolved.
    const QUrl resolved = scheme.isEmpty() ? baseUrl.resolved(QUrl(text)) : QUrl(text);
    if (!isWebScheme(resolved.scheme().toLower())) {
        target.kind = Target::NotWeb;
        return target;
    }
    target.address = scheme.isEmpty() ? resolved.toString(QUrl::FullyEncoded) : text;
    target.kind = comparable(resolved) == comparable(baseUrl) ? Target::Same : Target::Elsewhere;
    return target;
}

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
    const auto detail = [&](const QString &text) {
        if (withDetails)
            out.details.push_back(text.left(MaxStatusDetailLength));
    };
    // An answer that is not HTTP says nothing about the location but that it failed.
    const QString firstLine = lines.isEmpty() ? QString() : lines.first();
    if (statusLineCode(firstLine) == 0) {
        out.notHttp = true;
        out.Validated = 2;
        detail(QStringLiteral("The answer is not HTTP: ") + firstLine.trimmed());
        return out;
    }
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
            const int code = statusLineCode(line);
            if (code == 0)
                continue;
            out.statusCode = code;
            out.sawStatusLine = true;
            out.statusLine = line.left(MaxStatusDetailLength);
            detail(out.statusLine);
            out.Validated = code >= 300 ? 2 : 1;
        } else if (tag == QLatin1String("LOCA")) {
            const Target target = redirectTarget(value, tested);
            if (target.kind == Target::Elsewhere) {
                out.MovedTo = target.address;
                out.Validated = 1;
            } else if (target.kind == Target::NotWeb) {
                out.notWebTarget = true;
                detail(QStringLiteral("Redirected to an address that is not http or https: ")
                       + value);
            } else if (target.kind == Target::Same) {
                detail(QStringLiteral("Redirected to the same address"));
            }
        } else if (tag == QLatin1String("CONT")) {
            if (upper.contains(QLatin1String("LENGTH:")))
                out.PageSize = leadingNumber(value);
            if (upper.contains(QLatin1String("LOCATION:"))) {
                const Target target = redirectTarget(value, tested);
                if (target.kind == Target::Elsewhere) {
                    out.MovedTo = target.address;
                } else if (target.kind == Target::NotWeb) {
                    out.notWebTarget = true;
                    detail(QStringLiteral("Content-Location is not an http or https address: ")
                           + value);
                }
            }
            if (upper.contains(QLatin1String("TYPE:"))
                && (isBlankText(out.Custom2) || out.Custom2.startsWith(ContentPrefix)))
                out.Custom2 = QStringLiteral("Content: ") + value;
        } else if (tag == QLatin1String("EXPI")) {
            out.Expires = expiryDay(value);
        } else if (tag == QLatin1String("LAST")) {
            if (isBlankText(out.Custom1) || out.Custom1.startsWith(LastModifiedPrefix))
                out.Custom1 = QStringLiteral("Last modified: ") + value;
        }
    }
    // An error page stays an error, wherever it points; an address of another kind is no
    // new address for a web location.
    if ((out.sawStatusLine && out.statusCode >= 400) || out.notWebTarget)
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
