#pragma once

#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "support/tempcollection.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QCryptographicHash>

#include <memory>

namespace pk {

inline std::ostream &operator<<(std::ostream &os, const StoreStatus &s)
{
    return os << storeErrorName(s.error) << ": " << s.describe().toStdString();
}

} // namespace pk

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace pk::test {

inline LocationRecord location(const QString &address,
                               const QString &description = {},
                               const QString &category = QStringLiteral("General"),
                               int rating = 0)
{
    LocationRecord r;
    r.Location = address;
    r.Description = description.isEmpty() ? address : description;
    r.Category = category;
    r.Rating = rating;
    return r;
}

inline QByteArray fileDigest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

/// A fresh collection with the three files open and a category "General".
class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        m_collection = std::make_unique<Collection>(m_temp.folder());
        ASSERT_TRUE(m_collection->openAll(true)) << m_collection->openAll(true);
        ASSERT_TRUE(c().categories().insert({QStringLiteral("General"), 0, {}}));
    }

    Collection &c() { return *m_collection; }
    void reopen()
    {
        m_collection = std::make_unique<Collection>(m_temp.folder());
        const StoreStatus s = m_collection->openAll(false);
        ASSERT_TRUE(s) << s;
    }

    TempCollection m_temp;
    std::unique_ptr<Collection> m_collection;
};

} // namespace pk::test
