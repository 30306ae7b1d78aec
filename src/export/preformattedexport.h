#pragma once

#include "export/exportenvironment.h"
#include "export/exportfilenames.h"
#include "export/exportsettings.h"
#include "store/records.h"

#include <QHash>
#include <QStringList>

#include <map>
#include <vector>

namespace pk {

class ExportReader;

/**
 * @brief `Export:PreformattedHTML`: the locations written through the user's template files.
 *
 * The template (`Default_` + type + `.htm`, or `_cat.htm` for the category orders) is cut into
 * pieces and sections by its marker comments (header, category header, detail, category
 * footer, footer); tokens such as "(URL:Description)" are filled from each location. Pages are
 * held until the finish, when the contents list "(URL:TOC)" is complete, and then written. The
 * frame layout writes one page per category (or one page), and its frameset, banner and
 * contents pages from three templates of their own.
 *
 * Values are escaped for HTML and can never be taken for tokens themselves.
 */
class PreformattedExport final
{
public:
    /// The tokens in the order they are tried, "(URL:TOC)" last.
    static const QStringList &tokens();

    PreformattedExport(ExportSettings settings, ExportEnvironment environment);

    ExportResult run();
    qint64 written() const { return m_written; }

    /// The template name for a type and grouping: Default_Table.htm, Default_Table_cat.htm, ...
    static QString templateName(const QString &prefix, const QString &type, bool grouped);
    /// Writes pieces into lines: a line ends after a closing tag, a frame or meta tag, or before
    /// it would reach 1024 characters or once it holds more than 512.
    static bool writePage(const QStringList &pieces, const QString &path, QString &error);

private:
    struct Page
    {
        QString file;
        QStringList pieces;
    };

    // run()'s steps.
    void reset();
    /// A frameset without categories would be written over its one list page: reported.
    bool framesetWouldOverwriteList() const;
    void loadTemplate();
    /// Fills the pages from every location; Cancelled or Failed (reported) stop the export.
    ExportResult readLocations(ExportReader &reader, LocationRecord &record, qint64 total);
    void collectContents();
    bool writePages(const LocationRecord &record);
    bool writeFramePages(const LocationRecord &record);
    /// Writes one page; a failure is reported.
    bool writeReported(const QStringList &pieces, const QString &target) const;

    void distribute(const QStringList &pieces);
    void openPage(const LocationRecord &record);
    void closePage(const LocationRecord &record);
    void closeCategory(const LocationRecord &record);
    void append(QStringList pieces);
    QStringList filled(const QStringList &section, const LocationRecord &record);
    void fill(QStringList &pieces, const LocationRecord &record, bool contentsOnly);
    QString value(int token, const LocationRecord &record);
    QString bookmark(const QString &category);
    void expandContents(QStringList &pieces, qsizetype at, qsizetype tokenAt);
    const CategoryRecord &categoryOf(const QString &name);
    QString path(const QString &name) const;
    QString shortDate(qint32 day) const;

    ExportSettings m_settings;
    ExportEnvironment m_env;
    ExportFileNames m_names;
    bool m_grouped = false;
    bool m_frame = false;
    QString m_ending;

    QStringList m_header, m_categoryHeader, m_detail, m_categoryFooter, m_footer;
    struct NameOrder
    {
        bool operator()(const QString &a, const QString &b) const
        {
            const int c = a.compare(b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a < b;
        }
    };
    std::map<QString, int, NameOrder> m_categories; ///< name -> number, in order of the name
    std::vector<Page> m_pages;
    QStringList m_contents;
    bool m_pageOpen = false;
    bool m_categoryOpen = false;
    qint64 m_written = 0;
    QHash<QString, CategoryRecord> m_categoryRows;
};

} // namespace pk
