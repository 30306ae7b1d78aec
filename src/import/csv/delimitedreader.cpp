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

qsizetype DelimitedReader::nextLine()
{
    if (!m_file.isOpen() || m_file.atEnd())
        return -1;
    m_buffer = m_file.readLine();
    if (m_buffer.isEmpty())
        return -1;
    m_bytesRead += m_buffer.size();
    qsizetype length = m_buffer.size();
    if (length > 0 && m_buffer[length - 1] == '\n')
        --length;
    if (length > 0 && m_buffer[length - 1] == '\r')
        --length;
    QByteArrayView bytes(m_buffer.constData(), length);
    if (m_bytesRead == m_buffer.size() && bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    setLine(decodeLine(bytes));
    return m_line.size();
}

void DelimitedReader::setLine(const QString &line)
{
    m_line = line;
    m_pos = 0;
    m_field.clear();
    m_deformatted = false;
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

void DelimitedReader::deformatField(const QString &picture)
{
    if (m_deformatted)
        return;
    m_deformatted = true;
    const QString pic = picture.trimmed();
    const QChar kind = pic.size() >= 2 ? pic.at(1).toUpper() : QChar();
    if (kind == u'S' || kind == u'N')
        return;
    const Picture p(pic);
    if (!p.isValid())
        return;
    const QVariant value = p.deformat(m_field);
    if (p.isTime()) {
        const QTime t = value.toTime();
        m_field = t.isValid() ? QString::number(t.msecsSinceStartOfDay() / 1000) : u"0"_s;
    } else if (p.isDate()) {
        m_field = value.isValid() ? QString::number(value.toLongLong()) : u"0"_s;
    }
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
