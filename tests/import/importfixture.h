#pragma once

#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "support/tempcollection.h"

#include "printers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

namespace pk::test {

/// A fresh collection with its three files open, a scripted user interface and an error manager.
class ImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        collection = std::make_unique<Collection>(temp.folder());
        ASSERT_TRUE(collection->openAll(true));
        errors.setHaltHandler([this](const QString &title, const QString &) { halts << title; });
    }

    Collection &c() { return *collection; }
    void addCategory(const QString &name) { ASSERT_TRUE(c().categories().insert({name, 0, {}})); }
    LocationRecord stored(const QString &address)
    {
        // A location that is not there reads as an empty record.
        LocationRecord r;
        if (!c().locations().get(address, r))
            return {};
        return r;
    }
    qint64 count() { return c().locations().count(); }

    /// Writes `bytes` to `relative` under the temporary folder (folders made as needed).
    QString writeFile(const QString &relative, const QByteArray &bytes)
    {
        const QString path = temp.root() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(bytes);
        return path;
    }

    TempCollection temp;
    std::unique_ptr<Collection> collection;
    ScriptedUserInterface ui;
    ErrorManager errors{ui};
    QStringList halts;
};

} // namespace pk::test
