#pragma once

#include "importfixture.h"

#include "export/bookmarkfileexport.h"
#include "import/htmlimport.h"
#include "store/detaillabels.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"

#include <utility>
#include <vector>

namespace pk::test {

/// The import fixture with what the bookmark file tests store and write again and again.
class BookmarkFileTest : public ImportTest
{
protected:
    using Details = std::vector<std::pair<const char *, QString>>;

    /// Stores a location in its category (made when missing), with its keyword rows and the
    /// details that are not blank.
    void keep(const LocationRecord &record,
              const QStringList &keywords = {},
              const Details &details = {})
    {
        if (!c().categories().exists(record.Category))
            addCategory(record.Category);
        ASSERT_TRUE(c().locations().insert(record)) << record.Location.toStdString();
        for (const QString &word : keywords) {
            KeywordRecord k{record.Location, 0, word};
            ASSERT_TRUE(c().keywords().insert(k));
        }
        for (const auto &[label, value] : details) {
            DetailRecord d{record.Location, 0, QLatin1String(label), value};
            if (!value.isEmpty()) {
                ASSERT_TRUE(c().details().insert(d));
            }
        }
    }

    /// The collection as a bookmark file at `relative` under the temporary folder; its path.
    QString exportBookmarks(const QString &relative)
    {
        ExportSettings settings;
        settings.type = QLatin1String(BookmarkFileExport::Type);
        settings.file = temp.root() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(settings.file).path());
        ExportEnvironment env;
        env.collection = &c();
        env.ui = &ui;
        EXPECT_EQ(BookmarkFileExport(settings, env).run(), ExportResult::Written);
        return settings.file;
    }

    /// Reads a bookmark file into `into` as browsers write it (nested folders, dates, tags);
    /// what the import counted.
    ImportCounts importBookmarks(Collection &into, const QString &file)
    {
        HtmlImport
            import(into,
                   errors,
                   {QLatin1String(HtmlImport::BookmarkKind), file, CategoryMode::Guess, {}, true});
        EXPECT_TRUE(import.open());
        while (import.step()) {
        }
        return import.inserter().counts();
    }
};

} // namespace pk::test
