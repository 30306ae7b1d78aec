#include "import/csv/delimitedwriter.h"

#include "framework/userinterface.h"
#include "import/csv/csvfileerror.h"
#include "store/fieldtext.h"
#include "store/picture.h"

#include <cerrno>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

// Lines are handed to the file in blocks of about this size.
constexpr qsizetype kBlockSize = 64 * 1024;
constexpr int kNumberWidth = 50;

QChar kindLetter(const QString &picture)
{
    return picture.size() >= 2 ? picture.at(1).toUpper() : QChar();
}

} // namespace

DelimitedWriter::DelimitedWriter(UserInterface &ui)
    : m_ui(ui)
{}

DelimitedWriter::~DelimitedWriter()
{
    if (m_file.isOpen())
        closeOutputFile();
}

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
    m_file.setFileName(m_name);
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const int error = errno;
        m_ui.message(u"Cannot CREATE "_s + m_name,
                     CsvFileError::describe(m_file, error),
                     UserInterface::Icon::Warning);
        return false;
    }
    m_file.close();
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int error = errno;
        m_ui.message(u"Cannot OPEN "_s + m_name,
                     CsvFileError::describe(m_file, error),
                     UserInterface::Icon::Warning);
        QFile::remove(m_name);
        return false;
    }
    m_pending.clear();
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
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'"')
            out += u"\"\""_s;
        else if (c == u'\n')
            out += u'|';
        else if (c != u'\r')
            out += c;
    }
    return out;
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
        m_line += prepareText(Picture::format(pic, value));
        m_line += u'"';
    }
    m_firstField = false;
}

bool DelimitedWriter::writeLine()
{
    if (!m_file.isOpen())
        return false;
    m_pending += m_line.toUtf8();
    m_pending += '\n';
    if (m_pending.size() < kBlockSize)
        return true;
    return flushPending();
}

bool DelimitedWriter::flushPending()
{
    while (!m_pending.isEmpty()) {
        m_file.unsetError();
        errno = 0;
        const qint64 written = m_file.write(m_pending);
        if (written > 0) {
            m_pending.remove(0, written);
            continue;
        }
        const int error = errno;
        const int choice = m_ui.ask(u"Cannot ADD to "_s + m_name,
                                    CsvFileError::describe(m_file, error),
                                    {u"&Retry"_s, u"&Abort"_s},
                                    0,
                                    UserInterface::Icon::Warning);
        if (choice != 0) {
            m_pending.clear();
            return false;
        }
    }
    return true;
}

bool DelimitedWriter::closeOutputFile()
{
    if (!m_file.isOpen())
        return false;
    const bool written = flushPending();
    m_file.unsetError();
    errno = 0;
    const bool synced = ::fsync(m_file.handle()) == 0 || errno == EINVAL;
    const int syncError = errno;
    const QString error = CsvFileError::describe(m_file, synced ? 0 : syncError);
    m_file.close();
    if (!synced || m_file.error() != QFileDevice::NoError) {
        m_ui.message(u"Cannot CLOSE "_s + m_name, error, UserInterface::Icon::Warning);
        return false;
    }
    return written;
}

} // namespace pk
