#include "browse/forms/entryinput.h"

#include "framework/userinterface.h"
#include "store/fields.h"
#include "store/fieldtext.h"
#include "store/locationaddress.h"
#include "store/picture.h"

#include <QLocale>

#include <limits>

namespace pk {

namespace {

bool isText(char32_t c)
{
    if (c == 0xFFFD || (c >= 0xD800 && c <= 0xDFFF))
        return false;
    if ((c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE)
        return false;
    return QChar::category(c) != QChar::Other_Control;
}

QString example(const QDate &date)
{
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

} // namespace

std::optional<qint32> EntryInput::date(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return DayNumber::None;
    bool ok = false;
    const qint32 day = Picture::deformat(QStringLiteral("@d17"), text).toInt(&ok);
    if (!ok)
        return std::nullopt;
    const QDate date = DayNumber::toDate(day);
    if (!date.isValid() || date.year() < FirstYear || date.year() > LastYear)
        return std::nullopt;
    return day;
}

QString EntryInput::dateForm()
{
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

QString EntryInput::dateMessage(const QString &prompt, const QString &typed)
{
    return QStringLiteral("%1: \"%2\" is not a date that can be stored.\n\n"
                          "Enter a date in the form %3 (for example %4), from %5 to %6, "
                          "or leave the entry blank for no date.")
        .arg(promptName(prompt),
             typed.trimmed(),
             dateForm(),
             example(QDate::currentDate()),
             example(QDate(FirstYear, 1, 1)),
             example(QDate(LastYear, 12, 31)));
}

std::optional<qint32> EntryInput::wholeNumber(const QString &typed)
{
    QString text = typed.trimmed();
    if (text.isEmpty())
        return 0;
    text.remove(QLatin1Char(','));
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint32>::min()
        || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

QString EntryInput::numberMessage(const QString &prompt, const QString &typed)
{
    return QStringLiteral("%1: \"%2\" is not a whole number that can be stored.\n\n"
                          "Enter digits only, from %3 to %4, or leave the entry blank for 0.")
        .arg(promptName(prompt),
             typed.trimmed(),
             QString::number(std::numeric_limits<qint32>::min()),
             QString::number(std::numeric_limits<qint32>::max()));
}

EntryInput::Text EntryInput::fit(const QString &typed, int width, bool multiLine)
{
    Text out;
    out.text.reserve(typed.size());
    const QList<uint> codePoints = typed.toUcs4();
    for (const uint point : codePoints) {
        const auto c = char32_t(point);
        if (multiLine && (c == U'\n' || c == U'\t')) {
            out.text.append(QChar(char16_t(c)));
        } else if (c == U'\t' || c == U'\n' || c == U'\r') {
            out.text.append(QLatin1Char(' '));
            out.cleaned = true;
        } else if (isText(c)) {
            out.text.append(QString::fromUcs4(&c, 1));
        } else {
            out.cleaned = true;
        }
    }
    if (width > 0 && characterCount(out.text) > width) {
        out.text = truncateToWidth(out.text, width);
        out.cut = true;
    }
    return out;
}

QString EntryInput::fitMessage(const QString &prompt, const Text &fitted, int width)
{
    QStringList parts;
    if (fitted.cleaned)
        parts << QStringLiteral("control characters and characters that are not text were removed");
    if (fitted.cut)
        parts << QStringLiteral("the text was cut to the %1 characters the entry holds").arg(width);
    if (parts.isEmpty())
        return {};
    return QStringLiteral("%1: %2.").arg(promptName(prompt), parts.join(QLatin1String("; ")));
}

bool EntryInput::isMultiLine(const FieldDef &field)
{
    constexpr int MultiLineWidth = 1024;
    return field.isText() && field.width > MultiLineWidth && !isAddress(field);
}

bool EntryInput::isAddress(const FieldDef &field)
{
    return qstrcmp(field.column, "Location") == 0 || qstrcmp(field.column, "MovedTo") == 0;
}

EntryInput::Taken EntryInput::take(const FieldDef &field,
                                   const QString &prompt,
                                   const QString &typed,
                                   bool multiLine)
{
    Taken taken;
    if (field.type == FieldType::Date || field.type == FieldType::DayNumber) {
        if (const std::optional<qint32> day = date(typed))
            taken.value = *day;
        else
            taken.refusal = dateMessage(prompt, typed);
        return taken;
    }
    if (field.type == FieldType::Number) {
        if (const std::optional<qint32> number = wholeNumber(typed))
            taken.value = *number;
        else
            taken.refusal = numberMessage(prompt, typed);
        return taken;
    }
    if (isAddress(field)) {
        // Blank is for the required-entry check; anything else meets the address rule as typed.
        const LocationAddress::Problem problem = LocationAddress::check(typed);
        if (problem == LocationAddress::Problem::None || problem == LocationAddress::Problem::Blank)
            taken.value = typed.trimmed();
        else
            taken.refusal = LocationAddress::message(problem, typed);
        return taken;
    }
    const Text text = fit(typed, field.width, multiLine);
    if (!text.cleaned && !text.cut) {
        taken.value = typed;
        return taken;
    }
    taken.refusal = fitMessage(prompt, text, field.width);
    taken.fitted = text.text;
    return taken;
}

QString EntryInput::promptName(const QString &prompt)
{
    QString name = prompt;
    name.remove(QLatin1Char('&'));
    name = name.trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

void EntryInput::report(UserInterface &ui, const QString &message)
{
    ui.message(QLatin1String(Title), message, UserInterface::Icon::Warning);
}

} // namespace pk
