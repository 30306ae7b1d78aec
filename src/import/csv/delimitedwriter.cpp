#include "import/csv/delimitedwriter.h"

#include "framework/userinterface.h"
#include "store/fieldtext.h"
#include "store/picture.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kNumberWidth = 50;

QChar kindLetter(const QString &picture)
{
    return picture.size() >= 2 ? picture.at(1).toUpper() : QChar();
}

} // namespace

DelimitedWriter::DelimitedWriter(UserInterface &ui)
    : m_ui(ui)
{}

// A file that was not closed on purpose was not written whole: it does not appear.
DelimitedWriter::~DelimitedWriter() = default;

bool DelimitedWriter::createOutputFile(const QString &name)
{
    if (m_file.isOpen())
        closeOutputFile();
    m_name = trimTrailingSpaces(name);
    if (m_name.isEmpty()) {
        const auto chosen = m_ui.saveFileName(u"Export File"_s,
                                              QString(),
                                              u"Export Files|*.CSV;*.csv|All Files|*.*"_s);
        if (!chosen || chosen->trimmed().isEmpty())
            return false;
        m_name = *chosen;
    }
    if (!m_file.open(m_name)) {
        m_ui.message(u"Cannot CREATE "_s + m_name, describe(), UserInterface::Icon::Warning);
        return false;
    }
    // Records never cut: a field is as long as its value.
    m_file.setMaxLine(0);
    startLine();
    return true;
}

void DelimitedWriter::startLine()
{
    m_line.clear();
    m_firstField = true;
}

QString DelimitedWriter::prepareText(const QString &text)
{
    QString out = text;
    out.replace(u"\""_s, u"\"\""_s);
    return out;
}

QString DelimitedWriter::formatValue(const QString &picture, const QVariant &value)
{
    const Picture pic(picture);
    if (!pic.isDate() || !picture.startsWith(u'@'))
        return pic.format(value);
    // The short date with the year in full: a two-digit year would come back in another century.
    const QDate date = DayNumber::toDate(static_cast<qint32>(value.toLongLong()));
    if (!date.isValid())
        return {};
    const QLocale locale = QLocale::system();
    QString form = locale.dateFormat(QLocale::ShortFormat);
    if (!form.contains(u"yyyy"_s))
        form.replace(u"yy"_s, u"yyyy"_s);
    return locale.toString(date, form);
}

QString DelimitedWriter::prepareName(const QString &text)
{
    if (!text.contains(u'['))
        return text;
    QString out = text;
    for (QChar &c : out) {
        if (c == u',' || c == u'[')
            c = u'_';
        else if (c == u']')
            c = u' ';
    }
    return out;
}

void DelimitedWriter::writeField(const QVariant &value, const QString &picture, bool nameMode)
{
    if (!m_firstField)
        m_line += u',';
    const QString pic = trimTrailingSpaces(picture);
    const QChar kind = pic.startsWith(u'@') ? kindLetter(pic) : QChar();
    if (kind == u'S') {
        const QString text = value.toString();
        m_line += u'"';
        m_line += trimTrailingSpaces(nameMode ? prepareName(text) : prepareText(text));
        m_line += u'"';
    } else if (kind == u'N') {
        m_line += value.toString().trimmed().left(kNumberWidth);
    } else {
        // Formatted values (dates, times) are quoted like text so that the reader gets back
        // exactly what was written even if a picture lets a quote through.
        m_line += u'"';
        m_line += prepareText(formatValue(pic, value));
        m_line += u'"';
    }
    m_firstField = false;
}

QString DelimitedWriter::describe() const
{
    const int code = m_file.errorCode();
    return u"Error #"_s + QString::number(code) + u" - "_s + m_file.error();
}

bool DelimitedWriter::writeLine()
{
    if (!m_file.isOpen())
        return false;
    if (m_file.writeLine(m_line))
        return true;
    return failed();
}

bool DelimitedWriter::failed()
{
    for (;;) {
        const int choice = m_ui.ask(u"Cannot ADD to "_s + m_name,
                                    describe(),
                                    {u"&Retry"_s, u"&Abort"_s},
                                    0,
                                    UserInterface::Icon::Warning);
        if (choice != 0) {
            m_file.discard();
            return false;
        }
        if (m_file.retry())
            return true;
    }
}

bool DelimitedWriter::closeOutputFile()
{
    if (!m_file.isOpen())
        return false;
    if (m_file.close())
        return true;
    m_ui.message(u"Cannot CLOSE "_s + m_name, describe(), UserInterface::Icon::Warning);
    return false;
}

void DelimitedWriter::discardOutputFile()
{
    m_file.discard();
}

} // namespace pk
