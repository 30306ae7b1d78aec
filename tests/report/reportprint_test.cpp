#include "framework/scripteduserinterface.h"
#include "report/reportjob.h"
#include "report/reportwizardchoices.h"
#include "report/widgets/reportprinter.h"
#include "shell/procedurenames.h"
#include "store/storefixture.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

/// Peak resident memory of this process so far, in kB (VmHWM).
qint64 peakKb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

/// Reports printed to PDF and read back as text.
class ReportPrintTest : public test::StoreTest
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "report_print_tests";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_TRUE(QFile::exists(QStringLiteral(PK_PDFTOTEXT))) << "pdftotext (poppler-utils)";
        ASSERT_TRUE(c().categories().insert({u"News"_s, 0, u"Papers and wires"_s}));
    }

    void addLocations(int n)
    {
        ASSERT_TRUE(c().transaction([&] {
            for (int i = 0; i < n; ++i) {
                const QString number = u"%1"_s.arg(i, 5, 10, QChar(u'0'));
                LocationRecord r = test::location(u"http://site"_s + number + u".example/"_s,
                                                  u"Site "_s + number,
                                                  u"General"_s,
                                                  i % 10);
                r.Keyword = u"kw"_s + QString::number(i % 7);
                if (StoreStatus s = c().locations().insert(r); !s)
                    return s;
            }
            return StoreStatus();
        }));
    }

    struct Printed
    {
        ReportPrinter::Result result;
        QString text;
    };

    /// Prints `definition` with `query` to a PDF and returns its text (pages split by '\f').
    Printed print(ReportDefinition definition,
                  const QString &query = {},
                  int cancelAt = -1,
                  QPageLayout::Orientation *orientation = nullptr)
    {
        if (!query.isEmpty()) {
            m_ui.push(true);
            m_ui.push(1);
        } else {
            if (!definition.queryQuestion.isEmpty())
                m_ui.push(false);
            m_ui.push(1);
        }
        ReportJob job(c(),
                      m_ui,
                      ReportDisplayStrings(),
                      std::move(definition),
                      [query](const QString &) { return std::optional<QString>(query); });
        EXPECT_EQ(job.prepare(), ReportJob::Destination::Print);
        const QString pdf = m_temp.root() + u"/report.pdf"_s;
        QFile::remove(pdf);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        ReportPrinter::chooseOrientation(job.definition(), printer);
        if (orientation)
            *orientation = printer.pageLayout().orientation();
        if (cancelAt >= 0)
            m_ui.push(true);
        Printed out;
        out.result = ReportPrinter::print(job, printer, [cancelAt](qint64 read, qint64) {
            return read == cancelAt;
        });
        if (out.result.pages == 0)
            return out;
        // PK_REPORT_PDF_DIR keeps the PDFs to look at.
        if (const QString keep = qEnvironmentVariable("PK_REPORT_PDF_DIR"); !keep.isEmpty())
            QFile::copy(pdf, keep + u'/' + QString::number(++m_kept) + u".pdf"_s);
        QProcess p;
        p.start(QStringLiteral(PK_PDFTOTEXT), {u"-layout"_s, pdf, u"-"_s});
        EXPECT_TRUE(p.waitForFinished(60000));
        out.text = QString::fromUtf8(p.readAllStandardOutput());
        return out;
    }

    ScriptedUserInterface m_ui;
    inline static int m_kept = 0;
};

TEST_F(ReportPrintTest, FixedReportsPrintTitleHeadingsRowsInOrderAndPageNumbers)
{
    addLocations(120);
    QPageLayout::Orientation orientation{};
    const Printed p = print(*ReportDefinition::fixed(QLatin1String(Procedure::PrintByRating)),
                            {},
                            -1,
                            &orientation);
    EXPECT_EQ(orientation, QPageLayout::Landscape);
    EXPECT_EQ(p.result.outcome, ReportJob::Outcome::Finished);
    EXPECT_EQ(p.result.records, 120);
    ASSERT_GT(p.result.pages, 1);
    const QStringList pages = p.text.split(u'\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), p.result.pages);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QString &page = pages.at(i);
        EXPECT_TRUE(page.contains(u"URLs by Rating"_s)) << i;
        EXPECT_TRUE(page.contains(
            QRegularExpression(u"Location\\s+Description\\s+Category\\s+Rating\\s+Keyword"_s)))
            << page.left(400).toStdString();
        EXPECT_TRUE(page.contains(u"Page "_s + QString::number(i + 1))) << i;
    }
    EXPECT_TRUE(pages.last().contains(u"Records Printed: 120"_s));
    EXPECT_FALSE(p.text.contains(u"Cancelled"_s));
    // Rating order: 9s first; a row shows every column on one line.
    const QRegularExpression row(
        u"http://site00009\\.example/\\s+Site 00009\\s+General\\s+9\\s+kw2"_s);
    EXPECT_TRUE(pages.first().contains(row)) << pages.first().left(1500).toStdString();
    EXPECT_LT(p.text.indexOf(u"Site 00119"_s), p.text.indexOf(u"Site 00008"_s));
}

TEST_F(ReportPrintTest, QueriesCancellingAndTheCategoriesReport)
{
    addLocations(40);
    Printed p = print(*ReportDefinition::fixed(QLatin1String(Procedure::PrintByLocation)),
                      u"URL:Rating = 3"_s);
    EXPECT_EQ(p.result.records, 4);
    EXPECT_TRUE(p.text.contains(u"Records Printed: 4"_s));
    EXPECT_EQ(p.text.count(u".example/"_s), 4);

    p = print(*ReportDefinition::fixed(QLatin1String(Procedure::PrintByLocation)), {}, 10);
    EXPECT_EQ(p.result.outcome, ReportJob::Outcome::Cancelled);
    EXPECT_TRUE(p.text.contains(u"Records Printed: 10"_s));
    EXPECT_TRUE(p.text.contains(u"** Report Cancelled **"_s));

    QPageLayout::Orientation orientation{};
    p = print(*ReportDefinition::fixed(QLatin1String(Procedure::PrintCategories)),
              {},
              -1,
              &orientation);
    EXPECT_EQ(orientation, QPageLayout::Portrait);
    EXPECT_TRUE(p.text.contains(u"Categories"_s));
    EXPECT_TRUE(p.text.contains(QRegularExpression(u"News\\s+Papers and wires"_s)));
    EXPECT_TRUE(p.text.contains(u"Records Printed: 2"_s));

    p = print(*ReportDefinition::fixed(QLatin1String(Procedure::PrintByLocation)),
              u"URL:Rating = 77"_s);
    EXPECT_EQ(p.result.pages, 0) << "nothing is printed when no record is chosen";
}

TEST_F(ReportPrintTest, WizardReportsCarryTheirTextsAndWrapLongValues)
{
    LocationRecord r = test::location(u"http://long.example/"_s
                                          + QString(u"segment/"_s).repeated(25),
                                      u"Long one"_s,
                                      u"News"_s,
                                      4);
    r.Comments = QString(u"comment words "_s).repeated(40).trimmed();
    r.PageSize = 123456;
    ASSERT_TRUE(c().locations().insert(r));
    QList<int> all;
    for (int i = 0; i < ReportWizardChoices::columns().size(); ++i)
        all << i;
    QPageLayout::Orientation orientation{};
    Printed p
        = print(ReportWizardChoices::report({0, 1, 10, 14}, 0, u"My sites"_s, QDate(2026, 12, 8)),
                {},
                -1,
                &orientation);
    EXPECT_EQ(orientation, QPageLayout::Landscape);
    EXPECT_TRUE(p.text.contains(u"Internet Locations (URLs)"_s));
    EXPECT_TRUE(p.text.contains(u"My sites"_s));
    EXPECT_TRUE(
        p.text.contains(QRegularExpression(u"Location\\s+Description\\s+Comments\\s+Page Size"_s)));
    EXPECT_EQ(p.text.count(u"segment"_s), 25) << "a long address wraps and loses nothing";
    EXPECT_EQ(p.text.count(u"comment"_s), 40);
    EXPECT_TRUE(p.text.contains(u"123,456"_s) || p.text.contains(u"123456"_s));

    p = print(ReportWizardChoices::report(all, 4, {}, QDate(2026, 12, 8)));
    EXPECT_TRUE(p.text.contains(u"Original"_s)) << "twenty columns still print";
    EXPECT_TRUE(p.text.contains(u"Records Printed: 1"_s));
}

TEST_F(ReportPrintTest, TenThousandLocationsPrintPageByPage)
{
    addLocations(10000);
    const qint64 before = peakKb();
    const Printed p = print(*ReportDefinition::fixed(QLatin1String(Procedure::PrintByDescription)));
    const qint64 grown = peakKb() - before;
    EXPECT_EQ(p.result.records, 10000);
    EXPECT_GT(p.result.pages, 100);
    EXPECT_TRUE(p.text.contains(u"Records Printed: 10000"_s));
    EXPECT_TRUE(p.text.contains(u"Page "_s + QString::number(p.result.pages)));
    // Pages go out as they fill; holding them all would grow with the report.
    EXPECT_LT(grown, 60 * 1024) << "peak memory grew by " << grown << " kB";
    std::printf("10000 locations: %d pages, peak memory grew by %lld kB\n",
                p.result.pages,
                static_cast<long long>(grown));
}

} // namespace
} // namespace pk
