#pragma once

#include "export/exportenvironment.h"
#include "export/exportfilenames.h"
#include "export/exportsettings.h"
#include "export/textlinewriter.h"
#include "store/records.h"

#include <QHash>
#include <QStringList>

#include <memory>
#include <vector>

namespace pk {

class ExportReader;

/**
 * @brief `ExportFile`: the locations as a web page ("Simple", "Table", "Frame") or a plain
 * list ("CSV", "ASCII").
 *
 * The category orders (CatDesc, CatLoc) write category by category under headings, with an
 * index at the end and, in the frame layout, one page per category and a contents page. The
 * other orders are handed to the flat variant (`ExportFileDescription`): the same page without
 * headings. Category snippets (CatHTML) and the special categories "_Before All" and
 * "_After All" put the user's own HTML at fixed places. Field text is escaped for HTML.
 */
class ExportFile final
{
public:
    static constexpr const char *Product = "Pathkeep 2005";
    static constexpr const char *BeforeAll = "_Before All";
    static constexpr const char *AfterAll = "_After All";

    ExportFile(ExportSettings settings, ExportEnvironment environment);
    ~ExportFile();
    ExportFile(const ExportFile &) = delete;
    ExportFile &operator=(const ExportFile &) = delete;

    ExportResult run();

    /// Locations written by the last run.
    qint64 written() const { return m_written; }

private:
    enum class Style { Simple, Table, Frame, Csv, Ascii };

    ExportResult exportFileDescription();
    ExportResult runPass(bool grouped);
    bool pageStart(bool grouped);
    bool groupStart(const LocationRecord &record);
    bool groupEnd(bool atFinish);
    bool locationLines(const LocationRecord &record);
    bool finish(bool grouped);
    /// The contents page a frame export's frameset names, from `m_contents`.
    bool writeContents();
    /// The title of the page of a frame export in one order (no categories).
    QString flatTitle() const;

    bool write(TextLineWriter &file, const QString &line);
    bool main(const QString &line) { return write(m_main, line); }
    /// The line into the main file and, in the frame layout, the category page.
    bool both(const QString &line);
    /// A snippet (when there is one) into the main file and, for "Frame", the category page.
    bool snippet(const QString &category, const char *type);
    bool openPage(TextLineWriter &page, const QString &path);
    void stop(const QString &text);

    QString snippetText(const QString &category, const QString &type);
    const std::vector<CatHtmlRecord> &snippetsOf(const QString &category);

    ExportSettings m_settings;
    ExportEnvironment m_env;
    Style m_style = Style::Table;
    ExportFileNames m_names;
    TextLineWriter m_main;
    TextLineWriter m_page;

    // Run state.
    QString m_group;
    bool m_groupOpen = false;
    int m_groupCounter = 0;
    int m_pageCounter = 0;
    QStringList m_index;
    QStringList m_contents;
    bool m_failed = false;
    qint64 m_written = 0;
    QHash<QString, std::vector<CatHtmlRecord>> m_snippets;
};

} // namespace pk
