#include "framework/scripteduserinterface.h"
#include "report/reportdisplaystrings.h"
#include "report/reportjob.h"
#include "report/reportpaginator.h"
#include "shell/procedurenames.h"
#include "store/storefixture.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

class CharacterMetrics final : public ReportMetrics
{
public:
    qreal width(ReportStyle, const QString &text) const override { return qreal(text.size()); }
    qreal lineHeight(ReportStyle) const override { return 1; }
};

class ReportJobTest : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_TRUE(c().categories().insert({u"News"_s, 0, u"Papers and wires"_s}));
        ASSERT_TRUE(c().locations().insert(
            test::location(u"http://c.example/"_s, u"Charlie"_s, u"News"_s, 2)));
        ASSERT_TRUE(c().locations().insert(
            test::location(u"http://a.example/"_s, u"Alpha"_s, u"General"_s, 5)));
        ASSERT_TRUE(c().locations().insert(
            test::location(u"http://b.example/"_s, u"Bravo"_s, u"General"_s, 9)));
    }

    std::unique_ptr<ReportJob> job(const char *procedure)
    {
        auto wizard = [this](const QString &current) -> std::optional<QString> {
            m_wizardStartedFrom = current;
            return m_wizardAnswer;
        };
        return std::make_unique<ReportJob>(c(),
                                           m_ui,
                                           ReportDisplayStrings(),
                                           *ReportDefinition::fixed(QLatin1String(procedure)),
                                           wizard);
    }

    /// The rows the run printed, top to bottom, as "cell|cell|..." lines of the body.
    struct Run
    {
        ReportJob::Outcome outcome;
        QString text;
        int records = 0;
    };
    Run run(ReportJob &j, int cancelAt = -1)
    {
        const CharacterMetrics metrics;
        QString text;
        ReportPaginator pages(j.definition(), metrics, QSizeF(400, 60), [&](const ReportPage &p) {
            text += p.plainText() + u'\n';
        });
        const ReportJob::Outcome outcome = j.run(pages, [&](qint64 read, qint64) {
            return read == cancelAt;
        });
        return {outcome, text, pages.recordsPrinted()};
    }

    ScriptedUserInterface m_ui;
    std::optional<QString> m_wizardAnswer;
    QString m_wizardStartedFrom;
};

TEST_F(ReportJobTest, LocationReportsOfferAQueryThatFiltersTheRowsInKeyOrder)
{
    auto j = job(Procedure::PrintByRating);
    m_wizardAnswer = u"URL:Rating > 3"_s;
    m_ui.push(true); // apply a query
    m_ui.push(1);    // print, no preview
    ASSERT_EQ(j->prepare(u"URL:Rating > 0"_s), ReportJob::Destination::Print);
    EXPECT_EQ(m_wizardStartedFrom, u"URL:Rating > 0"_s);
    EXPECT_EQ(m_ui.titles(), (QStringList{u"Query Wizard"_s, u"Preview"_s}));
    EXPECT_EQ(j->total(), 2);
    const Run r = run(*j);
    EXPECT_EQ(r.outcome, ReportJob::Outcome::Finished);
    EXPECT_EQ(r.records, 2);
    EXPECT_LT(r.text.indexOf(u"Bravo"_s), r.text.indexOf(u"Alpha"_s)) << "highest rating first";
    EXPECT_FALSE(r.text.contains(u"Charlie"_s));
    EXPECT_TRUE(r.text.contains(u"Records Printed: 2"_s));
}

TEST_F(ReportJobTest, TheQuestionsDecideWhetherAndWhereTheReportGoes)
{
    auto j = job(Procedure::PrintByDescription);
    m_ui.push(false);
    m_ui.push(0);
    EXPECT_EQ(j->prepare(), ReportJob::Destination::Preview);

    m_ui.push(false);
    m_ui.push(2);
    EXPECT_EQ(j->prepare(), std::nullopt) << "Cancel abandons the report";

    m_ui.push(true);
    m_wizardAnswer.reset();
    EXPECT_EQ(j->prepare(), std::nullopt) << "backing out of the query wizard stops the report";

    m_ui.clear();
    m_ui.push(true);
    m_wizardAnswer = u"URL:Nothing = 1"_s;
    EXPECT_EQ(j->prepare(), std::nullopt);
    ASSERT_EQ(m_ui.titles(), (QStringList{u"Query Wizard"_s, u"Query Wizard"_s}))
        << "a bad query is reported";

    auto categories = job(Procedure::PrintCategories);
    m_ui.clear();
    m_ui.push(0);
    EXPECT_EQ(categories->prepare(), ReportJob::Destination::Preview);
    EXPECT_EQ(m_ui.titles(), (QStringList{u"Preview"_s})) << "categories ask for no query";
    const Run r = run(*categories);
    EXPECT_TRUE(r.text.contains(u"General"_s));
    EXPECT_TRUE(r.text.contains(u"Papers and wires"_s));
    EXPECT_EQ(r.records, 2);
}

TEST_F(ReportJobTest, CancelAsksFirstAndAPartialPreviewIsOffered)
{
    auto j = job(Procedure::PrintByLocation);
    m_ui.push(false); // "Are you sure?" No: the report goes on
    Run r = run(*j, 1);
    EXPECT_EQ(r.outcome, ReportJob::Outcome::Finished);
    EXPECT_EQ(r.records, 3);

    m_ui.clear();
    m_ui.push(true);
    r = run(*j, 2);
    EXPECT_EQ(r.outcome, ReportJob::Outcome::Cancelled);
    EXPECT_EQ(r.records, 2);
    EXPECT_TRUE(r.text.contains(u"Records Printed: 2\n** Report Cancelled **"_s));
    EXPECT_EQ(m_ui.interactions().at(0).text, u"Are you sure you want to CANCEL this Report?"_s);

    m_ui.clear();
    m_ui.push(true);
    EXPECT_TRUE(j->showPreview(ReportJob::Outcome::Cancelled, 1));
    EXPECT_EQ(m_ui.interactions().at(0).text,
              u"Report Cancellation Requested!\n\nPreview Report generated so far?"_s);
    m_ui.clear();
    EXPECT_FALSE(j->showPreview(ReportJob::Outcome::Cancelled, 0));
    EXPECT_EQ(m_ui.messages(), QStringList{u"Nothing to Preview."_s});
    m_ui.clear();
    j->printed(ReportJob::Outcome::Finished, 0);
    EXPECT_EQ(m_ui.messages(), QStringList{u"Nothing to Print."_s});
}

TEST_F(ReportJobTest, DisplayStringsComeFromTheReportIniWithDefaults)
{
    const QString ini = m_temp.root() + u"/PKREPORT.INI"_s;
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[DISPLAY STRINGS 2.0]\nNothingToPrvwText=Nichts zu sehen.|Leider\n");
    f.close();
    const ReportDisplayStrings s = ReportDisplayStrings::load(ini);
    EXPECT_EQ(s.text(u"NothingToPrvwText"_s), u"Nichts zu sehen.\nLeider"_s);
    EXPECT_EQ(s.text(u"ProgWinTitlePrvw"_s), u"Generating Report"_s);
    EXPECT_EQ(s.text(u"AsciiOutMasks"_s), u"Text|*.TXT|All Files|*.*"_s);
    EXPECT_EQ(ReportDisplayStrings::load(m_temp.root() + u"/none.ini"_s).text(u"NoDfltPrtrTitle"_s),
              u"WARNING!"_s);
}

} // namespace
} // namespace pk
