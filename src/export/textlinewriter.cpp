#include "export/textlinewriter.h"

namespace pk {

namespace {
constexpr qsizetype FlushSize = 256 * 1024;
}

TextLineWriter::~TextLineWriter()
{
    close();
}

bool TextLineWriter::open(const QString &path)
{
    close();
    m_path = path;
    m_error.clear();
    m_buffer.clear();
    m_file.setFileName(path);
    if (QFile::exists(path) && !QFile::remove(path)) {
        m_error = m_file.errorString();
        return false;
    }
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = m_file.errorString();
        return false;
    }
    m_buffer.reserve(FlushSize + 16 * 1024);
    return true;
}

bool TextLineWriter::writeLine(QStringView line)
{
    if (!m_error.isEmpty() || !m_file.isOpen())
        return false;
    if (m_maxLine > 0 && line.size() > m_maxLine) {
        qsizetype cut = m_maxLine;
        if (line[cut - 1].isHighSurrogate())
            --cut;
        line = line.left(cut);
    }
    // Encoded straight into the buffer: no temporary per line.
    const qsizetype used = m_buffer.size();
    m_buffer.resize(used + m_encoder.requiredSpace(line.size()) + 1);
    char *end = m_encoder.appendToBuffer(m_buffer.data() + used, line);
    *end++ = '\n';
    m_buffer.truncate(end - m_buffer.constData());
    return m_buffer.size() < FlushSize || flush();
}

bool TextLineWriter::flush()
{
    if (m_buffer.isEmpty())
        return true;
    const bool ok = m_file.write(m_buffer) == m_buffer.size();
    if (!ok)
        m_error = m_file.errorString();
    m_buffer.truncate(0); // keeps the capacity for the next lines
    return ok;
}

bool TextLineWriter::close()
{
    if (!m_file.isOpen())
        return m_error.isEmpty();
    const bool ok = m_error.isEmpty() && flush();
    if (!m_file.flush() && m_error.isEmpty())
        m_error = m_file.errorString();
    m_file.close();
    return ok && m_error.isEmpty();
}

} // namespace pk
