#include "exportfixture.h"

#include "store/cathtmlmanager.h"
#include "store/categorymanager.h"
#include "store/locationmanager.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace pk::test {

void ExportFixture::SetUpTestSuite()
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "export_tests";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

void ExportFixture::SetUp()
{
    ASSERT_TRUE(QDir().mkpath(temp.root() + u"/out"_s));
    collection = std::make_unique<Collection>(temp.folder());
    ASSERT_TRUE(collection->openAll(true));
    addCategory(u"_Before All"_s);
    addCategory(u"_After All"_s);
    addCategory(u"Alpha"_s, u"First things"_s);
    addCategory(u"News"_s, u"What is new"_s);
    addCategory(u"Tools"_s);
    addSnippet(u"_Before All"_s,
               u"Before Category"_s,
               u"<style>body{font-family:sans-serif}</style>"_s);
    addSnippet(u"_After All"_s, u"After Category"_s, u"<p>The end</p>"_s);
    addSnippet(u"Alpha"_s, u"Before Category Title"_s, u"<!-- before alpha title -->"_s);
    addSnippet(u"Alpha"_s, u"After Category"_s, u"<p>after alpha</p>"_s);
    addSnippet(u"Tools"_s, u"Replace Title"_s, u"<em>Tools &amp; Kits</em>"_s);
    addSnippet(u"News"_s, u"Before Category"_s, u"<div class=news>"_s);
    addSnippet(u"News"_s, u"After Category Title"_s, u"<p>fresh</p>"_s);

    addLocation(u"https://a.example/one"_s, u"Alpha one"_s, u"Alpha"_s, 5, u"Info one"_s);
    addLocation(u"https://a.example/two"_s, QString(), u"Alpha"_s);
    addLocation(u"https://n.example/x"_s, u"News <script>alert(1)</script>"_s, u"News"_s, -3);
    addLocation(u"https://n.example/y?a=1&b=2"_s,
                u"Fish &amp; Chips & more"_s,
                u"news"_s,
                10,
                u"Said \"hi\""_s);
    addLocation(u"https://t.example/"_s, u"A tool"_s, u"Tools"_s, 0, u"Hammer"_s);
    addLocation(u"https://blank.example/"_s, u"No category here"_s, QString(), 2);
}

ExportEnvironment ExportFixture::environment()
{
    ExportEnvironment env;
    env.collection = collection.get();
    env.ui = &ui;
    env.today = QDate(2026, 3, 14);
    env.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    env.homePage = u"https://pathkeep.example.org/"_s;
    env.templateFolder = temp.folder();
    return env;
}

ExportSettings ExportFixture::settings(const QString &type, const QString &order) const
{
    ExportSettings s;
    s.type = type;
    s.order = order;
    s.file = out(u"links.html"_s);
    s.pageTitle = u"My Links"_s;
    s.rating = true;
    s.siteInfo = true;
    return s;
}

void ExportFixture::addCategory(const QString &name, const QString &description)
{
    CategoryRecord record;
    record.Category = name;
    record.Description = description;
    ASSERT_TRUE(collection->categories().insert(record));
}

void ExportFixture::addSnippet(const QString &category, const QString &type, const QString &html)
{
    CatHtmlRecord record;
    record.CATEGORY = category;
    record.TypeOfHTML = type;
    record.HTMLtoAdd = html;
    ASSERT_TRUE(collection->catHtml().insert(record));
}

void ExportFixture::addLocation(const QString &location,
                                const QString &description,
                                const QString &category,
                                int rating,
                                const QString &siteInfo)
{
    LocationRecord record;
    record.Location = location;
    record.Description = description;
    record.Category = category;
    record.Rating = rating;
    record.SiteInfo = siteInfo;
    record.Keyword = u"kw"_s;
    if (!category.isEmpty()) {
        ASSERT_TRUE(collection->locations().insert(record));
        return;
    }
    // Forms refuse a blank category, but imports and renamed categories leave such locations.
    record.Category = u"Tools"_s;
    ASSERT_TRUE(collection->locations().insert(record));
    SQLite::Statement st(collection->db(),
                         "UPDATE main.Locations SET Category = '' WHERE Location = ?");
    st.bind(1, location.toStdString());
    ASSERT_EQ(st.exec(), 1);
}

QString ExportFixture::text(const QString &path) const
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QStringList ExportFixture::lines(const QString &path) const
{
    QStringList out = text(path).split(u'\n');
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

void expectGolden(const QString &name, const QString &actual)
{
    const QString path = QStringLiteral(PK_GOLDEN_DIR "/") + name;
    if (qEnvironmentVariable("PK_UPDATE_GOLDEN") == u"1"_s) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(actual.toUtf8());
        return;
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "missing golden file " << name.toStdString();
    EXPECT_EQ(QString::fromUtf8(f.readAll()).toStdString(), actual.toStdString())
        << name.toStdString();
}

} // namespace pk::test
