#pragma once

#include "export/exportenvironment.h"
#include "export/exportsettings.h"
#include "framework/scripteduserinterface.h"
#include "store/collection.h"
#include "support/tempcollection.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace pk::test {

/// A small collection with categories, snippets and locations that exercise every export rule.
class ExportFixture : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    /// The fixed environment of a test run (date, locale, collection, scripted dialogs).
    ExportEnvironment environment();
    ExportSettings settings(const QString &type, const QString &order) const;

    void addCategory(const QString &name, const QString &description = {});
    void addSnippet(const QString &category, const QString &type, const QString &html);
    void addLocation(const QString &location,
                     const QString &description,
                     const QString &category,
                     int rating = 0,
                     const QString &siteInfo = {});

    QString out(const QString &name) const { return temp.root() + QStringLiteral("/out/") + name; }
    QStringList lines(const QString &path) const;
    QString text(const QString &path) const;

    TempCollection temp;
    std::unique_ptr<Collection> collection;
    ScriptedUserInterface ui;
};

/// Compares `actual` with the golden file `name` under tests/export/golden; with
/// PK_UPDATE_GOLDEN=1 in the environment the golden file is written instead.
void expectGolden(const QString &name, const QString &actual);

} // namespace pk::test
