#include "report/reportdefinition.h"
#include "report/reportlayout.h"
#include "report/reportpaginator.h"
#include "report/reportwizardchoices.h"
#include "shell/procedurenames.h"
#include "store/fields.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

/// Every character is one unit wide and every line one unit tall.
class LayoutCharacterMetrics final : public ReportMetrics
{
public:
    qreal width(ReportStyle, const QString &text) const override { return qreal(text.size()); }
    qreal lineHeight(ReportStyle) const override { return 1; }
};

ReportDefinition twoColumns()
{
    ReportDefinition d;
    d.title = u"Things"_s;
    d.subtitles = {u"for testing"_s};
    d.columns = {{u"Name"_s, u"URL:Location"_s, 10, false, 0},
                 {u"Rating"_s, u"URL:Rating"_s, 3, true, 0}};
    return d;
}

std::vector<ReportPage> paginate(const ReportDefinition &d,
                                 const QSizeF &size,
                                 const QList<QStringList> &rows,
                                 bool cancelled = false)
{
    const LayoutCharacterMetrics metrics;
    std::vector<ReportPage> pages;
    ReportPaginator p(d, metrics, size, [&](const ReportPage &page) { pages.push_back(page); });
    for (const QStringList &row : rows)
        p.addRow(row);
    p.finish(cancelled);
    EXPECT_EQ(p.pages(), int(pages.size()));
    return pages;
}

TEST(ReportLayout, WrapsAtWordsAndInsideLongAddressesAtNaturalBreaks)
{
    const LayoutCharacterMetrics m;
    EXPECT_EQ(ReportLayout::wrap(u"the quick brown fox"_s, 10, ReportStyle::Body, m),
              (QStringList{u"the quick"_s, u"brown fox"_s}));
    const QStringList url
        = ReportLayout::wrap(u"http://example.com/a/very/long/path"_s, 16, ReportStyle::Body, m);
    EXPECT_EQ(url.join(QString()), u"http://example.com/a/very/long/path"_s) << "nothing is lost";
    for (const QString &line : url)
        EXPECT_LE(line.size(), 16) << line.toStdString();
    EXPECT_EQ(url.first(), u"http://example."_s) << "breaks after a dot or slash when it can";
    EXPECT_EQ(ReportLayout::wrap(u"one\r\ntwo"_s, 20, ReportStyle::Body, m),
              (QStringList{u"one"_s, u"two"_s}));
    EXPECT_TRUE(ReportLayout::wrap(QString(), 20, ReportStyle::Body, m).isEmpty());
}

TEST(ReportLayout, ColumnsFitThePageAndWideReportsTurnIt)
{
    const LayoutCharacterMetrics m;
    const ReportDefinition locations = *ReportDefinition::fixed(
        QLatin1String(Procedure::PrintByLocation));
    const ReportDefinition categories = *ReportDefinition::fixed(
        QLatin1String(Procedure::PrintCategories));
    EXPECT_TRUE(ReportLayout::wantsLandscape(locations.columns, m, 95));
    EXPECT_FALSE(ReportLayout::wantsLandscape(categories.columns, m, 95));

    for (qreal width : {60.0, 140.0, 400.0}) {
        const auto places = ReportLayout::place(locations.columns, m, width);
        ASSERT_EQ(places.size(), 5u);
        EXPECT_LE(places.back().x + places.back().width, width + 0.001) << width;
        for (std::size_t i = 1; i < places.size(); ++i)
            EXPECT_GT(places[i].x, places[i - 1].x + places[i - 1].width) << "columns overlap";
    }
    const auto roomy = ReportLayout::place(locations.columns, m, 140);
    EXPECT_GE(roomy[3].width, 6) << "the rating keeps room for its heading";
    EXPECT_GE(roomy[4].width, 20) << "a keyword is never wrapped";
    EXPECT_GT(roomy[0].width, roomy[2].width) << "the long texts get the room";
}

TEST(ReportPaginator, EveryPageHasTitleHeadingsAndNumberAndTheEndCountsRecords)
{
    QList<QStringList> rows;
    for (int i = 1; i <= 30; ++i)
        rows << QStringList{u"row "_s + QString::number(i), QString::number(i % 10)};
    const std::vector<ReportPage> pages = paginate(twoColumns(), QSizeF(40, 15), rows);
    ASSERT_GT(pages.size(), 2u);
    int seen = 0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const ReportPage &page = pages[i];
        EXPECT_EQ(page.number, int(i) + 1);
        const QString text = page.plainText();
        EXPECT_TRUE(text.startsWith(u"Things\nfor testing\nName\nRating"_s)) << text.toStdString();
        EXPECT_TRUE(text.endsWith(u"Page "_s + QString::number(i + 1))) << text.toStdString();
        for (const ReportItem &item : page.items)
            EXPECT_LE(item.rect.bottom(), 15.001) << item.text.toStdString();
        seen += int(text.count(u"row "_s));
    }
    EXPECT_EQ(seen, 30) << "every row printed once";
    EXPECT_TRUE(pages.back().plainText().contains(u"Records Printed: 30"_s));
    EXPECT_FALSE(pages.back().plainText().contains(u"Cancelled"_s));
}

TEST(ReportPaginator, CancelledRunsEndWithTheMarkerAndEmptyRunsHaveNoPages)
{
    const std::vector<ReportPage> cancelled
        = paginate(twoColumns(), QSizeF(40, 15), {{u"a"_s, u"1"_s}}, true);
    ASSERT_EQ(cancelled.size(), 1u);
    EXPECT_TRUE(cancelled[0].plainText().contains(u"Records Printed: 1\n** Report Cancelled **"_s));
    EXPECT_TRUE(paginate(twoColumns(), QSizeF(40, 15), {}).empty());
    EXPECT_TRUE(paginate(twoColumns(), QSizeF(40, 15), {}, true).empty());
}

TEST(ReportPaginator, RowsStayWholeUnlessTallerThanAPage)
{
    // 10 lines of body per page (15 high: 4 lines of header and rule, 1 of footer).
    const QString tall = QString(u"word "_s).repeated(40).trimmed(); // 20 lines of "word word"
    const std::vector<ReportPage> pages
        = paginate(twoColumns(),
                   QSizeF(40, 15),
                   {{u"short"_s, u"1"_s}, {tall, u"2"_s}, {u"after"_s, u"3"_s}});
    ASSERT_GE(pages.size(), 3u) << "a row taller than a page goes on over several";
    int words = 0;
    for (const ReportPage &p : pages)
        words += int(p.plainText().count(u"word"_s));
    EXPECT_EQ(words, 40);

    const QString three = u"aaa bbb ccc"_s;
    QList<QStringList> rows;
    for (int i = 0; i < 8; ++i)
        rows << QStringList{three, QString::number(i)};
    for (const ReportPage &p : paginate(twoColumns(), QSizeF(8, 15), rows)) {
        const QString text = p.plainText();
        EXPECT_EQ(text.count(u"aaa"_s), text.count(u"ccc"_s)) << "a short row is not split";
    }
}

TEST(ReportWizardChoices, OrdersReadThroughTheMatchingKeysAndTheReportCarriesItsTexts)
{
    const QStringList keys = {u"URL:K_Location"_s,
                              u"URL:K_Description"_s,
                              u"URL:K_Category"_s,
                              u"URL:K_CATEGORYLOCATION"_s,
                              u"URL:K_Rating"_s,
                              u"URL:K_Keyword"_s};
    ASSERT_EQ(ReportWizardChoices::orders().size(), keys.size());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const KeyDef *key = ReportWizardChoices::keyOf(ReportWizardChoices::orders().at(i).value);
        ASSERT_NE(key, nullptr) << i;
        EXPECT_EQ(QString::fromLatin1(key->name), keys.at(i));
        EXPECT_EQ(ReportWizardChoices::orderOfKey(keys.at(i)), i);
    }
    EXPECT_EQ(ReportWizardChoices::columns().size(), 20);
    const ReportDefinition d
        = ReportWizardChoices::report({5, 0, 14}, 4, u" Mine "_s, QDate(2026, 12, 8));
    EXPECT_EQ(d.title, u"Internet Locations (URLs)"_s);
    ASSERT_EQ(d.subtitles.size(), 2);
    EXPECT_EQ(d.subtitles.at(0), u"Mine"_s);
    EXPECT_FALSE(d.subtitles.at(1).isEmpty());
    ASSERT_EQ(d.columns.size(), 3);
    EXPECT_EQ(d.columns.at(0).heading, u"Site Info"_s);
    EXPECT_TRUE(d.columns.at(2).alignRight) << "page size is a number";
    EXPECT_EQ(d.key, &Keys::urlRating());
}

} // namespace
} // namespace pk
