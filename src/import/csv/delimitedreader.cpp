#include "import/csv/delimitedreader.h"

#include "framework/userinterface.h"
#include "import/csv/csvfileerror.h"
#include "store/fieldtext.h"
#include "store/picture.h"

#include <QStringDecoder>
#include <QTime>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace pk {

DelimitedReader::DelimitedReader(UserInterface &ui)
    : m_ui(ui)
{}

qint64 DelimitedReader::openInputFile(const QString &name)
{
    closeInputFile();
    const QString given = trimTrailingSpaces(name);
    for (;;) {
        m_name = given;
        if (m_name.isEmpty()) {
            const auto chosen = m_ui.openFileName(u"Import File"_s,
                                                  QString(),
                                                  u"Import Files|*.CSV;*.csv|All Files|*.*"_s);
            if (!chosen || chosen->trimmed().isEmpty())
                return 0;
            m_name = *chosen;
        }
        m_file.setFileName(m_name);
        errno = 0;
        if (!m_file.open(QIODevice::ReadOnly)) {
            const int error = errno;
            m_ui.message(u"Cannot OPEN "_s + m_name,
                         CsvFileError::describe(m_file, error),
                         UserInterface::Icon::Warning);
            return 0;
        }
        m_size = m_file.size();
        if (m_size > 0)
            break;
        m_file.close();
        if (!given.isEmpty())
            return 0;
        m_ui.message(u"Attention!"_s,
                     u"That file is empty!  Please pick another file."_s,
                     UserInterface::Icon::Warning);
    }
    setToStart(false);
    return m_size;
}

void DelimitedReader::setToStart(bool)
{
    // The read-ahead wish needs nothing here: the file is read through a buffer anyway.
    if (m_file.isOpen())
        m_file.seek(0);
    m_bytesRead = 0;
    m_line.clear();
    m_field.clear();
    m_pos = -1;
    m_deformatted = false;
}

bool DelimitedReader::readPhysicalLine(QString &text, QByteArray &ending)
{
    if (!m_file.isOpen() || m_file.atEnd())
        return false;
    m_buffer = m_file.readLine();
    if (m_buffer.isEmpty())
        return false;
    const bool first = m_bytesRead == 0;
    m_bytesRead += m_buffer.size();
    qsizetype length = m_buffer.size();
    if (length > 0 && m_buffer[length - 1] == '\n')
        --length;
    if (length > 0 && m_buffer[length - 1] == '\r')
        --length;
    ending = m_buffer.mid(length);
    QByteArrayView bytes(m_buffer.constData(), length);
    if (first && bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    text = decodeLine(bytes);
    return true;
}

qsizetype DelimitedReader::nextLine()
{
    QString text;
    QByteArray ending;
    if (!readPhysicalLine(text, ending))
        return -1;
    if (endsInsideQuotes(text)) {
        // A quoted field holds line breaks: the record goes on over the next lines, with the
        // breaks as they were written. A quote that is never closed (within the limits) is read
        // to the end of its own line instead, and reading goes on with the next line.
        const qint64 resume = m_file.pos();
        const qint64 resumeRead = m_bytesRead;
        QString record = text;
        QString more;
        QByteArray moreEnding;
        bool closed = false;
        for (int lines = 1; lines < MaxRecordLines && record.size() < MaxRecordLength; ++lines) {
            const QByteArray breakBytes = ending;
            if (!readPhysicalLine(more, moreEnding))
                break;
            record += QString::fromLatin1(breakBytes) + more;
            ending = moreEnding;
            if (!endsInsideQuotes(record)) {
                closed = true;
                break;
            }
        }
        if (closed) {
            text = record;
        } else {
            m_file.seek(resume);
            m_bytesRead = resumeRead;
        }
    }
    setLine(text);
    return m_line.size();
}

bool DelimitedReader::endsInsideQuotes(QStringView line)
{
    // The same field boundaries as nextField().
    const qsizetype size = line.size();
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype start = pos;
        while (start < size && line[start] == u' ')
            ++start;
        if (start == size)
            return false;
        if (line[start] != u'"') {
            const qsizetype comma = line.indexOf(u',', pos);
            if (comma < 0)
                return false;
            pos = comma + 1;
            continue;
        }
        qsizetype i = start + 1;
        for (; i < size; ++i) {
            if (line[i] != u'"')
                continue;
            if (i + 1 < size && line[i + 1] == u'"') {
                ++i;
                continue;
            }
            break;
        }
        if (i >= size)
            return true;
        qsizetype next = i + 1;
        while (next < size && line[next] == u' ')
            ++next;
        pos = next < size && line[next] == u',' ? next + 1 : next;
    }
    return false;
}

void DelimitedReader::setLine(const QString &line)
{
    m_line = line;
    m_pos = 0;
    m_field.clear();
    m_deformatted = false;
    m_deformatOk = true;
}

QString DelimitedReader::decodeLine(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder ansi("windows-1252", QStringDecoder::Flag::Stateless);
    if (ansi.isValid())
        return ansi.decode(bytes);
    return QString::fromLatin1(bytes);
}

DelimitedReader::FieldKind DelimitedReader::nextField()
{
    m_deformatted = false;
    m_deformatOk = true;
    m_field.clear();
    if (m_pos < 0 || m_pos >= m_line.size()) {
        m_pos = -1;
        return FieldKind::None;
    }
    // A blank rest of the line holds no field; blanks before an opening quote are skipped.
    qsizetype start = m_pos;
    while (start < m_line.size() && m_line.at(start) == u' ')
        ++start;
    if (start == m_line.size()) {
        m_pos = -1;
        return FieldKind::None;
    }
    if (m_line.at(start) == u'"') {
        const qsizetype size = m_line.size();
        qsizetype i = start + 1;
        for (; i < size; ++i) {
            if (m_line.at(i) != u'"')
                continue;
            if (i + 1 < size && m_line.at(i + 1) == u'"') {
                ++i;
                continue;
            }
            break;
        }
        m_field = m_line.mid(start + 1, i - start - 1);
        m_field.replace(u"\"\""_s, u"\""_s);
        m_pos = -1;
        if (i < size) {
            // Past the closing quote, blanks and the separating comma.
            qsizetype next = i + 1;
            while (next < size && m_line.at(next) == u' ')
                ++next;
            m_pos = next < size && m_line.at(next) == u',' ? next + 1 : next;
        }
        return FieldKind::Quoted;
    }
    const qsizetype comma = m_line.indexOf(u',', m_pos);
    if (comma < 0) {
        m_field = m_line.mid(m_pos);
        m_pos = -1;
    } else {
        m_field = m_line.mid(m_pos, comma - m_pos);
        m_pos = comma + 1;
    }
    return FieldKind::Unquoted;
}

bool DelimitedReader::deformatField(const QString &picture)
{
    if (m_deformatted)
        return m_deformatOk;
    m_deformatted = true;
    m_deformatOk = true;
    const QString pic = picture.trimmed();
    const QChar kind = pic.size() >= 2 ? pic.at(1).toUpper() : QChar();
    if (kind == u'S' || kind == u'N')
        return true;
    const Picture p(pic);
    if (!p.isValid())
        return true;
    const bool blank = m_field.trimmed().isEmpty();
    const QVariant value = p.deformat(m_field);
    if (p.isTime()) {
        const QTime t = value.toTime();
        m_deformatOk = blank || t.isValid();
        if (m_deformatOk)
            m_field = t.isValid() ? QString::number(t.msecsSinceStartOfDay() / 1000) : u"0"_s;
    } else if (p.isDate()) {
        m_deformatOk = value.isValid();
        if (m_deformatOk)
            m_field = QString::number(value.toLongLong());
    }
    return m_deformatOk;
}

double DelimitedReader::fieldAsNumber() const
{
    return toNumber(m_field);
}

double DelimitedReader::toNumber(const QString &text)
{
    QString s = text;
    const qsizetype comma = s.indexOf(u',');
    if (comma == 0)
        s.remove(0, 1);
    else if (comma > 0)
        s[comma] = u'.';
    // Keep a sign before the first digit, the digits and the first decimal point.
    QString number;
    number.reserve(s.size());
    bool digits = false;
    bool point = false;
    for (const QChar c : std::as_const(s)) {
        if (c >= u'0' && c <= u'9') {
            number += c;
            digits = true;
        } else if (c == u'.' && !point) {
            number += c;
            point = true;
        } else if (c == u'-' && !digits && !point && number.isEmpty()) {
            number += c;
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : 0.0;
}

void DelimitedReader::closeInputFile()
{
    if (m_file.isOpen())
        m_file.close();
    m_line.clear();
    m_field.clear();
    m_pos = -1;
}

} // namespace pk
