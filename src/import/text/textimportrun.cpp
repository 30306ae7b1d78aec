#include "import/text/textimportrun.h"

#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "import/csv/csvfileerror.h"
#include "import/csv/delimitedreader.h"
#include "import/importinsert.h"
#include "store/fieldtext.h"

#include <cerrno>

using namespace Qt::StringLiterals;

namespace pk {

TextImportRun::TextImportRun(Collection &collection, ErrorManager &errors, TextImport::Kind kind,
                             CategoryMode mode, const QString &selectedCategory,
                             const QString &file)
    : m_errors(errors)
    , m_insert(std::make_unique<ImportInsert>(collection, errors, mode, selectedCategory))
    , m_import(kind, *m_insert, file)
    , m_fileName(trimTrailingSpaces(file))
{
}

TextImportRun::~TextImportRun() = default;

bool TextImportRun::open()
{
    m_file.setFileName(m_fileName);
    errno = 0;
    if (m_fileName.isEmpty() || !m_file.open(QIODevice::ReadOnly)) {
        const int error = errno;
        m_errors.ui().message(u"Cannot OPEN "_s + m_fileName, CsvFileError::describe(m_file, error),
                              UserInterface::Icon::Warning);
        return false;
    }
    m_size = m_file.size();
    const QByteArray head = m_file.peek(1024);
    m_lineEnd = head.contains('\n') && !head.contains('\r') ? '\n' : '\r';
    m_read = 0;
    m_firstLine = true;
    return true;
}

bool TextImportRun::nextLine(QString &line)
{
    QByteArray bytes;
    if (m_lineEnd == '\n') {
        bytes = m_file.readLine();
        if (bytes.isEmpty())
            return false;
        m_read += bytes.size();
    } else {
        char c;
        bool any = false;
        while (m_file.getChar(&c)) {
            any = true;
            ++m_read;
            if (c == m_lineEnd)
                break;
            bytes += c;
        }
        if (!any)
            return false;
    }
    bytes.removeIf([](char c) { return c == '\r' || c == '\n'; });
    if (m_firstLine && bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    m_firstLine = false;
    line = DelimitedReader::decodeLine(bytes);
    return true;
}

bool TextImportRun::step(int lines)
{
    if (!m_file.isOpen())
        return false;
    bool more = true;
    m_insert->runBatch([&] {
        QString line;
        for (int i = 0; i < lines; ++i) {
            if (!nextLine(line)) {
                more = false;
                return;
            }
            m_import.importLine(line);
            if (m_insert->stopped()) {
                more = false;
                return;
            }
        }
    });
    return more && !m_insert->stopped();
}

void TextImportRun::finish()
{
    // Every batch is committed by now, so the count shown is what the collection holds.
    m_file.close();
    m_insert->reportRefusals();
    if (m_import.count() != 0)
        m_errors.ui().message(u"Complete"_s,
                              QString::number(m_import.count()) + u" URL(s) imported."_s);
}

int TextImportRun::percent() const
{
    if (m_size <= 0)
        return 100;
    return static_cast<int>(std::min<qint64>(100, m_read * 100 / m_size));
}

} // namespace pk
