#include "cli/consoleuserinterface.h"
#include "cli/fieldlistoption.h"
#include "cli/locationoutput.h"
#include "cli/progressbar.h"
#include "import/advanced/advancedimport.h"
#include "import/csv/locationcsvline.h"
#include "store/picture.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

/// A temporary file standing in for standard output or error.
class Capture
{
public:
    Capture()
        : m_file(std::tmpfile())
    {}
    ~Capture() { std::fclose(m_file); }
    std::FILE *file() const { return m_file; }
    QByteArray text() const
    {
        std::fflush(m_file);
        std::rewind(m_file);
        QByteArray bytes;
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0)
            bytes.append(buffer, qsizetype(n));
        return bytes;
    }

private:
    std::FILE *m_file;
};

LocationRecord sample()
{
    LocationRecord r;
    r.Location = u"http://example.test/a"_s;
    r.Description = u"Quote \" and, comma\nand a line break"_s;
    r.Category = u"News"_s;
    r.Rating = -5;
    r.SiteInfo = u"Info"_s;
    r.Validated = 2;
    r.LastValidated = DayNumber::fromDate(QDate(2026, 3, 1));
    r.Password = u"secret"_s;
    return r;
}

} // namespace

TEST(LocationOutputTest, JsonIsOneParsableArrayWithStableKeysAndNoPassword)
{
    Capture out;
    LocationOutput output(LocationOutput::Format::Json, out.file());
    output.begin();
    output.add(sample());
    LocationRecord plain;
    plain.Location = u"http://example.test/b"_s;
    output.add(plain);
    output.end();

    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(out.text(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << out.text().constData();
    const QJsonArray rows = doc.array();
    ASSERT_EQ(rows.size(), 2);
    const QJsonObject first = rows.at(0).toObject();
    EXPECT_EQ(first.value(u"location"_s).toString(), u"http://example.test/a"_s);
    EXPECT_EQ(first.value(u"description"_s).toString(), sample().Description);
    EXPECT_EQ(first.value(u"rating"_s).toInt(), -5);
    EXPECT_EQ(first.value(u"validated"_s).toString(), u"failed"_s);
    EXPECT_EQ(first.value(u"lastValidated"_s).toString(), u"2026-03-01"_s);
    EXPECT_TRUE(first.value(u"expires"_s).isNull());
    EXPECT_FALSE(first.contains(u"password"_s));
    EXPECT_FALSE(out.text().contains("secret"));
    EXPECT_EQ(rows.at(1).toObject().value(u"validated"_s).toString(), u"unknown"_s);
    // Scripts rely on the key set: it may grow, never shrink or be renamed.
    const QStringList keys = first.keys();
    for (const char *key : {"location",
                            "description",
                            "category",
                            "rating",
                            "keyword",
                            "siteInfo",
                            "lastVisit",
                            "lastValidated",
                            "validated",
                            "movedTo",
                            "comments",
                            "userName",
                            "expires",
                            "pageSize",
                            "emailAddress",
                            "originalFilename",
                            "custom1",
                            "custom2",
                            "custom3"})
        EXPECT_TRUE(keys.contains(QLatin1String(key))) << key;
}

TEST(LocationOutputTest, EmptyJsonIsAnEmptyArray)
{
    Capture out;
    LocationOutput output(LocationOutput::Format::Json, out.file());
    output.begin();
    output.end();
    EXPECT_TRUE(QJsonDocument::fromJson(out.text()).isArray());
    EXPECT_TRUE(QJsonDocument::fromJson(out.text()).array().isEmpty());
}

TEST(LocationOutputTest, CsvLinesReadBackThroughTheImportLine)
{
    Capture out;
    LocationOutput output(LocationOutput::Format::Csv, out.file());
    output.begin();
    output.add(sample());
    output.end();
    // The description's line break stays inside its quotes: one record over two lines.
    const QString text = QString::fromUtf8(out.text());
    ASSERT_TRUE(text.endsWith(u'\n'));
    const QString record = text.chopped(1);
    EXPECT_TRUE(LocationCsvLine::endsInsideQuotes(record.left(record.indexOf(u'\n'))));
    EXPECT_FALSE(LocationCsvLine::endsInsideQuotes(record));
    QString category;
    LocationRecord back;
    ASSERT_TRUE(LocationCsvLine::read(record, category, back));
    EXPECT_EQ(back.Description, sample().Description);
    EXPECT_EQ(category, u"News"_s);
    EXPECT_EQ(back.Location, sample().Location);
    EXPECT_EQ(back.Rating, -5);
    EXPECT_EQ(back.SiteInfo, u"Info"_s);
}

TEST(LocationOutputTest, TableRowsStayOnOneLineAndCutLongTexts)
{
    LocationRecord r = sample();
    r.Location = u"http://example.test/"_s + QString(200, u'x');
    const QString row = LocationOutput::tableRow(r);
    EXPECT_FALSE(row.contains(u'\n'));
    EXPECT_TRUE(row.startsWith(r.Location.left(49) + u'~'));
    EXPECT_TRUE(row.contains(u"failed"_s));
    EXPECT_FALSE(row.endsWith(u' '));
    EXPECT_EQ(LocationOutput::tableHeading().indexOf(u"Category"_s), row.indexOf(u"News"_s));
}

TEST(LocationOutputTest, FormatNames)
{
    EXPECT_EQ(LocationOutput::formatFromName(u"JSON"_s), LocationOutput::Format::Json);
    EXPECT_EQ(LocationOutput::formatFromName(u"csv"_s), LocationOutput::Format::Csv);
    EXPECT_EQ(LocationOutput::formatFromName(u"table"_s), LocationOutput::Format::Table);
    EXPECT_FALSE(LocationOutput::formatFromName(u"xml"_s));
}

TEST(ProgressBarTest, LineIsBoundedAndADisabledBarWritesNothing)
{
    EXPECT_EQ(ProgressBar::line(50, {}), u"[###############...............]  50%"_s);
    EXPECT_TRUE(ProgressBar::line(150, {}).contains(u"100%"_s));
    EXPECT_TRUE(ProgressBar::line(-3, {}).contains(u"  0%"_s));

    Capture err;
    {
        ProgressBar bar(false, err.file());
        bar.update(40, u"x"_s);
        bar.clear();
    }
    EXPECT_TRUE(err.text().isEmpty());

    Capture shown;
    {
        ProgressBar bar(true, shown.file());
        bar.update(40, u"label"_s);
    } // clears its line when it goes
    const QByteArray text = shown.text();
    EXPECT_TRUE(text.startsWith('\r'));
    EXPECT_TRUE(text.contains("40% label"));
    EXPECT_TRUE(text.endsWith('\r'));
}

TEST(ConsoleUserInterfaceTest, QuestionsTakeTheCommandsAnswerOrTheDefault)
{
    Capture err;
    ConsoleUserInterface ui(err.file());
    ui.setAnswer(u"Proceed?"_s, false);
    EXPECT_FALSE(ui.askYesNo(u"T"_s, u"Proceed?"_s, true));
    EXPECT_TRUE(err.text().isEmpty()); // the command's own answer is not reported
    EXPECT_TRUE(ui.askYesNo(u"T"_s, u"Other?"_s, true));
    EXPECT_FALSE(ui.askYesNo(u"T"_s, u"Delete?"_s, false));
    EXPECT_TRUE(err.text().contains("T: Other? (taken as yes"));
    EXPECT_TRUE(err.text().contains("T: Delete? (taken as no"));
    EXPECT_EQ(ui.problems(), 0);
    // Other choices cannot be taken for anyone: the question is told once and closed, the safe
    // answer of every caller (no Retry for ever), and counts as a problem.
    EXPECT_EQ(ui.ask(u"Cannot ADD to x"_s,
                     u"Error #28 - No space left on device"_s,
                     {u"&Retry"_s, u"&Abort"_s},
                     0,
                     UserInterface::Icon::Warning),
              -1);
    EXPECT_TRUE(err.text().endsWith("Cannot ADD to x: Error #28 - No space left on device\n"));
    EXPECT_FALSE(err.text().contains("[Retry]"));
    EXPECT_EQ(ui.problems(), 1);
    EXPECT_FALSE(ui.saveFileName(u"T"_s, u"/tmp/x"_s, {}));
    EXPECT_FALSE(ui.existingFolder(u"T"_s, u"/tmp"_s));
    ui.setFolder(u"/tmp/pages"_s);
    EXPECT_EQ(ui.existingFolder(u"T"_s, u"/tmp"_s), u"/tmp/pages"_s);
}

TEST(ConsoleUserInterfaceTest, QuietKeepsOnlyProblemsAndCountsThem)
{
    Capture err;
    ConsoleUserInterface ui(err.file());
    ui.setQuiet(true);
    ui.message(u"Complete"_s, u"3 URL(s) imported."_s);
    ui.askYesNo(u"T"_s, u"Go on?"_s);
    ui.message(u"Error"_s, u"Unable to retrieve x.|Second line"_s, UserInterface::Icon::Critical);
    EXPECT_EQ(err.text(), QByteArray("Error: Unable to retrieve x.\nSecond line\n"));
    EXPECT_EQ(ui.problems(), 1);
}

TEST(ConsoleUserInterfaceTest, PasswordComesFromTheEnvironmentOnly)
{
    ConsoleUserInterface ui;
    unsetenv(ConsoleUserInterface::PasswordVariable);
    EXPECT_FALSE(ui.text(u"Security Check"_s, u"Confirm Password:"_s, {}, 32, true));
    setenv(ConsoleUserInterface::PasswordVariable, "open sesame", 1);
    EXPECT_EQ(ui.text(u"Security Check"_s, u"Confirm Password:"_s, {}, 4, true), u"open"_s);
    unsetenv(ConsoleUserInterface::PasswordVariable);
}

TEST(FieldListOptionTest, ExportFieldsTakeDefaultOrGivenPictures)
{
    QString error;
    const auto fields = FieldListOption::exportFields(u"url:location, URL:Rating@n3 ,CAT:Category"_s,
                                                      error);
    ASSERT_TRUE(fields) << error.toStdString();
    ASSERT_EQ(fields->size(), 3);
    EXPECT_EQ(fields->at(0).name, u"URL:Location"_s);
    EXPECT_FALSE(fields->at(0).picture.isEmpty());
    EXPECT_EQ(fields->at(1).picture, u"@n3"_s);
    EXPECT_EQ(fields->at(2).name, u"CAT:Category"_s);

    for (const QString &wrong : {u"URL:Nothing"_s, u""_s, u" , "_s, u"URL:Rating@"_s}) {
        error.clear();
        EXPECT_FALSE(FieldListOption::exportFields(wrong, error)) << wrong.toStdString();
        EXPECT_FALSE(error.isEmpty()) << wrong.toStdString();
    }
}

TEST(FieldListOptionTest, ImportMapNamesTargetsAndColumnsFromOne)
{
    QString error;
    const auto map
        = FieldListOption::importMap(u"URL:Description=3,url:location=1, URL:LastVisit=4@d17"_s,
                                     error);
    ASSERT_TRUE(map) << error.toStdString();
    ASSERT_EQ(map->size(), 3);
    const QStringList &targets = AdvancedImport::targetNames();
    EXPECT_EQ(targets.at(map->at(0).target), u"URL:Description"_s);
    EXPECT_EQ(map->at(0).column, 2);
    EXPECT_EQ(map->at(0).picture, QString());
    EXPECT_EQ(targets.at(map->at(1).target), u"URL:Location"_s);
    EXPECT_EQ(map->at(1).column, 0);
    EXPECT_EQ(targets.at(map->at(2).target), u"URL:LastVisit"_s);
    EXPECT_EQ(map->at(2).column, 3);
    EXPECT_EQ(map->at(2).picture, u"@d17"_s);

    for (const QString &wrong : {u"URL:Location"_s,
                                 u"URL:Location=0"_s,
                                 u"URL:Location=x"_s,
                                 u"URL:Bogus=1"_s,
                                 u""_s,
                                 u"URL:LastVisit=2@"_s}) {
        error.clear();
        EXPECT_FALSE(FieldListOption::importMap(wrong, error)) << wrong.toStdString();
        EXPECT_FALSE(error.isEmpty()) << wrong.toStdString();
    }
}

TEST(ConsoleUserInterfaceTest, AMessageClearsTheProgressBarFirst)
{
    Capture err;
    ConsoleUserInterface ui(err.file());
    ProgressBar bar(true, err.file());
    ui.setProgressBar(&bar);
    bar.update(30, u"working"_s);
    ui.message(u"Error"_s, u"Broken"_s, UserInterface::Icon::Critical);
    ui.setProgressBar(nullptr);
    const QByteArray text = err.text();
    const qsizetype message = text.indexOf("Error: Broken");
    ASSERT_GE(message, 0);
    // The bar's line was overwritten with blanks and the cursor is back at the left edge.
    EXPECT_EQ(text.at(message - 1), '\r');
    EXPECT_TRUE(
        text.left(message).contains(QByteArray(ProgressBar::line(30, u"working"_s).size(), ' ')));
}
