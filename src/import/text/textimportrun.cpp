#include "import/text/textimportrun.h"

#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "import/csv/locationcsvline.h"
#include "import/importinsert.h"
#include "import/importsummary.h"
#include "store/fieldtext.h"

#include <cerrno>

using namespace Qt::StringLiterals;

namespace pk {

TextImportRun::TextImportRun(Collection &collection,
                             ErrorManager &errors,
                             TextImport::Kind kind,
                             CategoryMode mode,
                             const QString &selectedCategory,
                             const QString &file)
    : m_errors(errors)
    , m_insert(std::make_unique<ImportInsert>(collection, errors, mode, selectedCategory))
    , m_kind(kind)
    , m_import(kind, *m_insert, file)
    , m_fileName(trimTrailingSpaces(file))
{}

TextImportRun::~TextImportRun() = default;

bool TextImportRun::open()
{
    errno = 0;
    m_open = !m_fileName.isEmpty() && m_reader.open(m_fileName);
    if (!m_open) {
        const int error = errno != 0 ? errno : ENOENT;
        m_errors.ui().message(u"Cannot OPEN "_s + m_fileName,
                              u"Error #"_s + QString::number(error) + u" - "_s
                                  + qt_error_string(error),
                              UserInterface::Icon::Warning);
        return false;
    }
    // Lines longer than any location line could be come in pieces; a location line's later
    // pieces carry nothing the reader could use.
    m_reader.setMaxLineLength(MaxLine);
    return true;
}

bool TextImportRun::step(int lines)
{
    if (!m_open)
        return false;
    bool more = true;
    static_cast<void>(m_insert->runBatch([&] {
        for (int i = 0; i < lines; ++i) {
            const std::optional<TextLineReader::Line> line = m_reader.next();
            if (!line) {
                more = false;
                return;
            }
            if (line->continuation && m_kind == TextImport::Kind::Csv)
                continue;
            if (m_kind == TextImport::Kind::Csv && LocationCsvLine::endsInsideQuotes(line->text))
                importRecord(line->text);
            else
                m_import.importLine(line->text);
            if (m_insert->stopped()) {
                more = false;
                return;
            }
            if ((i + 1) % 64 == 0 && m_insert->stepDue())
                return;
        }
    }));
    return more && !m_insert->stopped();
}

void TextImportRun::importRecord(const QString &first)
{
    // A quoted value holds line breaks: the record goes on over the next lines. A quote that is
    // never closed within the limits is read as before, each line on its own.
    QStringList lines{first};
    QString record = first;
    bool closed = false;
    while (lines.size() < MaxRecordLines && record.size() < MaxRecordLength) {
        const std::optional<TextLineReader::Line> more = m_reader.next();
        if (!more)
            break;
        if (more->continuation) {
            lines.last() += more->text;
            record += more->text;
        } else {
            lines << more->text;
            record += u'\n' + more->text;
        }
        if (!LocationCsvLine::endsInsideQuotes(record)) {
            closed = true;
            break;
        }
    }
    if (closed) {
        m_import.importLine(record);
        return;
    }
    for (const QString &line : std::as_const(lines)) {
        m_import.importLine(line);
        if (m_insert->stopped())
            return;
    }
}

void TextImportRun::finish()
{
    // Every batch is committed by now, so the count shown is what the collection holds.
    m_open = false;
    ImportSummary::show(m_errors.ui(),
                        QString::number(m_import.count()) + u" URL(s) imported."_s,
                        m_insert->counts());
}

int TextImportRun::percent() const
{
    if (m_reader.size() <= 0)
        return 100;
    return static_cast<int>(std::min<qint64>(100, m_reader.position() * 100 / m_reader.size()));
}

} // namespace pk
