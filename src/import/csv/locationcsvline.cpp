#include "import/csv/locationcsvline.h"

#include "store/fieldtext.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr QChar kQuote = u'"';
constexpr QChar kComma = u',';

/**
 * A quoted value: quotes doubled, carriage returns dropped (a line break is a line feed). Line
 * breaks stay inside the quotes where `multiLine`; the category and the address, which hold
 * none, get "|" in their place, so that the fields that start a line always read on one.
 */
void appendQuoted(QString &out, QStringView value, bool multiLine)
{
    out += kQuote;
    for (const QChar c : trimTrailingSpaces(value)) {
        if (c == kQuote)
            out += u"\"\""_s;
        else if (c == u'\n' && !multiLine)
            out += u'|';
        else if (c != u'\r')
            out += c;
    }
    out += kQuote;
}

bool commaQuoteAt(QStringView line, qsizetype i)
{
    return i + 1 < line.size() && line[i] == kComma && line[i + 1] == kQuote;
}

/**
 * Reads the text of a quoted value starting at `from` (just past its opening quote). A doubled
 * quote stands for one quote. With `untilCommaQuote` only a quote followed by `,"` closes the
 * value and any other single quote is kept as text, so older files with undoubled quotes inside
 * a value still split at the field boundary; without it the first single quote closes it.
 * Returns the index of the closing quote, or -1 when the line ends first (`text` then holds the
 * rest of the line).
 */
qsizetype scanQuoted(QStringView line, qsizetype from, bool untilCommaQuote, QString &text)
{
    text.clear();
    for (qsizetype i = from; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c != kQuote) {
            text += c;
            continue;
        }
        if (i + 1 < line.size() && line[i + 1] == kQuote) {
            text += kQuote;
            ++i;
            continue;
        }
        if (!untilCommaQuote || commaQuoteAt(line, i + 1))
            return i;
        text += kQuote;
    }
    return -1;
}

QString fieldValue(const QString &text, int width)
{
    return truncateToWidth(text.trimmed(), width);
}

int ratingValue(QStringView text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= -99 && n <= 99 ? n : 0;
}

} // namespace

LocationCsvLine::Layout LocationCsvLine::layoutFor(bool withSiteInfo, bool withRating)
{
    if (withSiteInfo)
        return withRating ? Layout::Full : Layout::WithoutRating;
    return withRating ? Layout::WithoutSiteInfo : Layout::Short;
}

QString LocationCsvLine::write(const LocationRecord &location, Layout layout)
{
    QString line;
    line.reserve(location.Location.size() + location.Description.size() + location.SiteInfo.size()
                 + location.Category.size() + 16);
    appendQuoted(line, location.Category, false);
    line += kComma;
    appendQuoted(line, location.Location, false);
    line += kComma;
    appendQuoted(line, location.Description, true);
    if (layout == Layout::Full || layout == Layout::WithoutRating) {
        line += kComma;
        appendQuoted(line, location.SiteInfo, true);
    }
    if (layout == Layout::Full || layout == Layout::WithoutSiteInfo) {
        line += kComma;
        line += QString::number(location.Rating);
    }
    return line;
}

bool LocationCsvLine::endsInsideQuotes(QStringView line)
{
    // The same field boundaries as read(); only the fields after the category can go on.
    const qsizetype open = line.indexOf(kQuote);
    if (open < 0)
        return false;
    QString text;
    qsizetype end = scanQuoted(line, open + 1, true, text);
    if (end < 0)
        return false;
    qsizetype pos = end + 3;
    end = scanQuoted(line, pos, true, text);
    if (end < 0)
        return scanQuoted(line, pos, false, text) < 0;
    pos = end + 3;
    end = scanQuoted(line, pos, false, text);
    if (end < 0)
        return true;
    pos = end + 1;
    if (commaQuoteAt(line, pos))
        return scanQuoted(line, pos + 2, false, text) < 0;
    return false;
}

bool LocationCsvLine::isAddress(QStringView location)
{
    if (location.isEmpty())
        return false;
    for (const QChar c : location)
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    // A scheme ("http:", "mailto:", "file:") or at least a dot ("www.example.org").
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]*:"_s);
    return scheme.match(location.toString()).hasMatch() || location.contains(u'.');
}

bool LocationCsvLine::read(QStringView line, QString &category, LocationRecord &location)
{
    const qsizetype open = line.indexOf(kQuote);
    if (open < 0)
        return false;
    QString text;
    qsizetype end = scanQuoted(line, open + 1, true, text);
    if (end < 0)
        return false;

    category = fieldValue(text, CategoryWidth);
    location = LocationRecord{};

    // Address: up to the quote-comma-quote before the description; a line that stops after
    // the address keeps it and has a blank description.
    qsizetype pos = end + 3;
    end = scanQuoted(line, pos, true, text);
    if (end < 0) {
        scanQuoted(line, pos, false, text);
        location.Location = text.trimmed();
        return true;
    }
    // Never cut: a cut address is another address, and the insert judges its length.
    location.Location = text.trimmed();

    pos = end + 3;
    end = scanQuoted(line, pos, false, text);
    location.Description = fieldValue(text, DescriptionWidth);
    if (end < 0)
        return true;

    // After the description: `,"` opens the site information, a bare comma the rating.
    pos = end + 1;
    if (commaQuoteAt(line, pos)) {
        end = scanQuoted(line, pos + 2, false, text);
        location.SiteInfo = fieldValue(text, SiteInfoWidth);
        if (end < 0)
            return true;
        pos = end + 1;
    }
    const QStringView rest = line.mid(pos);
    const qsizetype comma = rest.indexOf(kComma);
    location.Rating = ratingValue(comma >= 0 ? rest.mid(comma + 1) : rest);
    return true;
}

} // namespace pk
