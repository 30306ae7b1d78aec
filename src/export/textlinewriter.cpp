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
    m_buffer += line.toUtf8();
    m_buffer += '\n';
    return m_buffer.size() < FlushSize || flush();
}

bool TextLineWriter::flush()
{
    if (m_buffer.isEmpty())
        return true;
    if (m_file.write(m_buffer) != m_buffer.size()) {
        m_error = m_file.errorString();
        m_buffer.clear();
        return false;
    }
    m_buffer.clear();
    return true;
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
