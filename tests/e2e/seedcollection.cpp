// Test helper for the end-to-end tests: fills a collection folder with locations, or prints
// one location's fields, through the store's own record managers.
//
//   pk_e2e_seed fill <folder> <count>
//   pk_e2e_seed category <folder> <location>   (prints the location's category)
//   pk_e2e_seed show <folder> <location>

#include "store/collection.h"
#include "store/categorymanager.h"
#include "store/locationmanager.h"
#include "store/picture.h"

#include <QCoreApplication>

#include <cstdio>

using namespace pk;

namespace {

int fail(const StoreStatus &s, const char *what)
{
    std::fprintf(stderr, "%s: %s\n", what, qUtf8Printable(s.describe()));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("count")) {
        // Whether the collection opens as it is (nothing created), and its locations.
        Collection collection(args.at(2));
        if (StoreStatus s = collection.openAll(false); !s)
            return fail(s, "open");
        std::printf("%lld\n", static_cast<long long>(collection.locations().count()));
        return 0;
    }
    if (args.size() != 4
        || (args.at(1) != QLatin1String("fill") && args.at(1) != QLatin1String("show")
            && args.at(1) != QLatin1String("category"))) {
        std::fprintf(stderr,
                     "usage: pk_e2e_seed fill <folder> <count> | show <folder> <location>"
                     " | category <folder> <location> | count <folder>\n");
        return 2;
    }
    Collection collection(args.at(2));
    if (StoreStatus s = collection.openAll(true); !s)
        return fail(s, "open");

    if (args.at(1) == QLatin1String("show")) {
        LocationRecord r;
        if (StoreStatus s = collection.locations().get(args.at(3), r); !s)
            return fail(s, "get");
        std::printf("LastVisit=%d Today=%d\n", r.LastVisit, DayNumber::today());
        return 0;
    }

    if (args.at(1) == QLatin1String("category")) {
        LocationRecord r;
        if (StoreStatus s = collection.locations().get(args.at(3), r); !s)
            return fail(s, "get");
        std::printf("%s\n", qPrintable(r.Category));
        return 0;
    }

    const int count = args.at(3).toInt();
    const StoreStatus status = collection.transaction([&]() -> StoreStatus {
        for (const char *name : {"News", "Tools"}) {
            CategoryRecord c;
            c.Category = QString::fromLatin1(name);
            if (StoreStatus s = collection.categories().insert(c); !s)
                return s;
        }
        for (int i = 0; i < count; ++i) {
            LocationRecord r;
            r.Location
                = QStringLiteral("http://example.test/page%1").arg(i, 5, 10, QLatin1Char('0'));
            r.Description = QStringLiteral("Page %1").arg(i, 5, 10, QLatin1Char('0'));
            r.Category = (i % 2) ? QStringLiteral("News") : QStringLiteral("Tools");
            r.Rating = i % 10;
            if (StoreStatus s = collection.locations().insert(r); !s)
                return s;
        }
        return {};
    });
    if (!status)
        return fail(status, "fill");
    return 0;
}
