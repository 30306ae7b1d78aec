// Figures for the keyword list and the category-scoped location list:
//   reading the keyword list (every keyword row joined with its location), a heading sort, a
//   Find over it, resident memory; switching the scoped list from one category to the next.
// The collection is built once through the store's record managers and reused.
//
//   bench_members [--folder PATH] [--locations N] [--keywords K]

#include "browse/list/locationbrowse.h"
#include "browse/list/locationcolumns.h"
#include "browse/list/memberrows.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "platform/launcher.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

using namespace pk;

namespace {

constexpr int kCategories = 200;

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

bool build(Collection &c, int locations, int keywords)
{
    if (c.locations().count() >= locations)
        return true;
    std::printf("building %d locations with %d keywords each...\n", locations, keywords);
    std::fflush(stdout);
    for (int i = 0; i < kCategories; ++i) {
        const QString name = QStringLiteral("Category %1").arg(i);
        if (!c.categories().exists(name) && !c.categories().insert({name, 0, {}}))
            return false;
    }
    const StoreStatus s = c.transaction([&] {
        for (int i = int(c.locations().count()); i < locations; ++i) {
            LocationRecord r;
            r.Location = QStringLiteral("https://site%1.example.com/").arg(i);
            r.Description = QStringLiteral("Site %1").arg(i);
            r.Category = QStringLiteral("Category %1").arg(i % kCategories);
            if (StoreStatus st = c.locations().insert(r); !st)
                return st;
            for (int k = 0; k < keywords; ++k) {
                KeywordRecord kw;
                kw.Location = r.Location;
                kw.Keyword = QStringLiteral("word%1").arg((i * 7 + k) % 997);
                if (StoreStatus st = c.keywords().insert(kw); !st)
                    return st;
            }
        }
        return StoreStatus::success();
    });
    return s.ok();
}

double ms(QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString folder = QDir::tempPath() + QStringLiteral("/pk-bench-members");
    int locations = 20000;
    int keywords = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--folder"))
            folder = args[i + 1];
        else if (args[i] == QLatin1String("--locations"))
            locations = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--keywords"))
            keywords = args[i + 1].toInt();
    }
    QDir().mkpath(folder);
    Collection c(folder);
    if (!c.openAll(true).ok() || !build(c, locations, keywords)) {
        std::fprintf(stderr, "cannot build the collection in %s\n", qPrintable(folder));
        return 1;
    }
    const long before = residentKb();
    QElapsedTimer t;

    MemberRows rows(c, MemberRows::Kind::Keywords);
    t.start();
    if (!rows.refresh().ok())
        return 1;
    std::printf("keyword list, %d rows: read %.1f ms, resident +%ld kB\n",
                rows.count(),
                ms(t),
                residentKb() - before);
    t.restart();
    rows.sortByColumn(1 + LocationColumns::Description, false);
    std::printf("heading sort by description: %.1f ms\n", ms(t));
    t.restart();
    StoreStatus status;
    QString error;
    const auto condition = LocationBrowse::compile(
        QStringLiteral("UDK:Keyword='word996'"),
        [](const QString &name) {
            return MemberRows::resolveField(MemberRows::Kind::Keywords, name);
        },
        error);
    const int found = condition ? rows.findNext(*condition, -1, status) : -1;
    std::printf("find a keyword from the top: %.1f ms (row %d)\n", ms(t), found);

    ScriptedUserInterface ui;
    ErrorManager errors(ui);
    Launcher launcher(ui);
    LocationBrowse browse(c, ui, errors, launcher, {});
    t.restart();
    for (int i = 0; i < 20; ++i) {
        browse.setCategoryScope(QStringLiteral("Category %1").arg(i));
        browse.model().rowAt(0);
    }
    std::printf("scoped list, next category with its first row: %.2f ms each\n", ms(t) / 20);
    return 0;
}
