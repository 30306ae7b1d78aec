#include "framework/scripteduserinterface.h"
#include "import/csv/delimitedreader.h"
#include "import/csv/delimitedwriter.h"
#include "import/csv/pictureentry.h"
#include "store/picture.h"

#include "import/printers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

using Kind = DelimitedReader::FieldKind;

class DelimitedTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }

    void writeBytes(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray readBytes(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    /// Every field of `line` with its kind, as "1:text" / "2:text".
    QStringList fields(const QString &line)
    {
        DelimitedReader reader(m_ui);
        reader.setLine(line);
        QStringList out;
        for (Kind k; (k = reader.nextField()) != Kind::None;)
            out << QString::number(static_cast<int>(k)) + u':' + reader.field();
        return out;
    }

    QTemporaryDir m_dir;
    ScriptedUserInterface m_ui;
};

TEST_F(DelimitedTest, WritesFieldsByTheirPictures)
{
    DelimitedWriter writer(m_ui);
    writer.startLine();
    writer.writeField(u"say \"hi\"   "_s, u"@s255"_s);
    writer.writeField(u"two\r\nlines"_s, u"@S20 "_s);
    writer.writeField(-5, u"@N2"_s);
    writer.writeField(u"   1234567  "_s, u"@n-14"_s);
    writer.writeField(70000, u"@d17"_s);
    writer.writeField(u"URL:Custom[1],x"_s, u"@s50"_s, true);
    writer.writeField(u"CAT:\"Flag\""_s, u"@s50"_s, true);
    const QString date = DelimitedWriter::formatValue(u"@d17"_s, 70000);
    EXPECT_EQ(writer.line(),
              u"\"say \"\"hi\"\"\",\"two\r\nlines\",-5,1234567,\""_s + date
                  + uR"(","URL:Custom_1 _x","CAT:"Flag"")"_s)
        << "line breaks stay inside the quotes";
    writer.startLine();
    writer.writeField(u"only"_s, u"@s5"_s);
    EXPECT_EQ(writer.line(), uR"("only")"_s) << "a new line starts without a comma";
}

TEST_F(DelimitedTest, ReadsQuotedUnquotedAndBrokenFields)
{
    EXPECT_EQ(fields(uR"("say ""hi""",a|b,"",,  "x" ,)"_s),
              (QStringList{u"1:say \"hi\""_s, u"2:a|b"_s, u"1:"_s, u"2:"_s, u"1:x"_s}));
    EXPECT_EQ(fields(u"1,5"_s), (QStringList{u"2:1"_s, u"2:5"_s}));
    EXPECT_EQ(fields(u"\"1,5\""_s), (QStringList{u"1:1,5"_s}));
    // an unclosed quote takes the rest of the line and ends the record
    EXPECT_EQ(fields(uR"(a,"open, and ""more"",b)"_s),
              (QStringList{u"2:a"_s, u"1:open, and \"more\",b"_s}));
    EXPECT_TRUE(fields(u"   "_s).isEmpty());
    EXPECT_TRUE(fields(QString()).isEmpty());
}

TEST_F(DelimitedTest, NumbersFollowTheCommaRule)
{
    const struct
    {
        QString text;
        double value;
    } cases[] = {{u"1,5"_s, 1.5},
                 {u"42"_s, 42},
                 {u" -7 "_s, -7},
                 {u",5"_s, 5},
                 {u"$12.50"_s, 12.5},
                 {u"1.234,5"_s, 1.2345},
                 {u"abc"_s, 0},
                 {QString(), 0},
                 {u"-"_s, 0},
                 {u"12/31/2020"_s, 12312020}};
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(DelimitedReader::toNumber(c.text), c.value) << qPrintable(c.text);
}

TEST_F(DelimitedTest, DatesCarryTheirFullYearAndReadBackUnderTheirPicture)
{
    // 1 January 1850 and 31 December 2090: a two-digit year would come back in another century.
    for (const QDate date : {QDate(1850, 1, 1), QDate(2090, 12, 31), QDate(2023, 11, 14)}) {
        const qint32 day = DayNumber::fromDate(date);
        const QString text = DelimitedWriter::formatValue(u"@d17"_s, day);
        EXPECT_TRUE(text.contains(QString::number(date.year()))) << qPrintable(text);
        DelimitedReader reader(m_ui);
        reader.setLine(u"\""_s + text + u"\""_s);
        ASSERT_EQ(reader.nextField(), Kind::Quoted);
        EXPECT_TRUE(reader.deformatField(u"@d17"_s));
        EXPECT_EQ(reader.field(), QString::number(day)) << qPrintable(text);
    }
    EXPECT_EQ(DelimitedWriter::formatValue(u"@d17b"_s, 0), QString());

    // Text that is no date of the picture is said to be so, and left as it was read.
    DelimitedReader reader(m_ui);
    reader.setLine(u"\"soon\",\"14/14/2023\",\"  \""_s);
    for (const QString &bad : {u"soon"_s, u"14/14/2023"_s}) {
        ASSERT_EQ(reader.nextField(), Kind::Quoted);
        EXPECT_FALSE(reader.deformatField(u"@d17"_s)) << qPrintable(bad);
        EXPECT_FALSE(reader.deformatField(u"@d17"_s)) << "the answer holds for the field";
        EXPECT_EQ(reader.field(), bad);
    }
    ASSERT_EQ(reader.nextField(), Kind::Quoted);
    EXPECT_TRUE(reader.deformatField(u"@d17b"_s)) << "blank is no date";
    EXPECT_EQ(reader.field(), u"0"_s);
}

TEST_F(DelimitedTest, DeformatsDatesOncePerField)
{
    DelimitedReader reader(m_ui);
    reader.setLine(u"\""_s + Picture::format(u"@d17"_s, 70000) + u"\",\"x\",\"\""_s);
    ASSERT_EQ(reader.nextField(), Kind::Quoted);
    reader.deformatField(u"@d17"_s);
    EXPECT_EQ(reader.field(), u"70000"_s);
    reader.deformatField(u"@d17"_s);
    EXPECT_EQ(reader.field(), u"70000"_s) << "a second call leaves the converted field alone";
    EXPECT_DOUBLE_EQ(reader.fieldAsNumber(), 70000);

    ASSERT_EQ(reader.nextField(), Kind::Quoted);
    reader.deformatField(u"@S1000"_s);
    EXPECT_EQ(reader.field(), u"x"_s);
    ASSERT_EQ(reader.nextField(), Kind::Quoted);
    reader.deformatField(u"@d17b"_s);
    EXPECT_EQ(reader.field(), u"0"_s) << "a blank date is no date";
}

TEST_F(DelimitedTest, WrittenFileReadsBack)
{
    DelimitedWriter writer(m_ui);
    ASSERT_TRUE(writer.createOutputFile(path(u"out.csv"_s)));
    for (int i = 0; i < 3; ++i) {
        writer.startLine();
        writer.writeField(u"Row \"%1\"\nnext|line"_s.arg(i), u"@s255"_s);
        writer.writeField(i * 10, u"@N2"_s);
        writer.writeField(70000 + i, u"@d17"_s);
        ASSERT_TRUE(writer.writeLine());
    }
    ASSERT_TRUE(writer.closeOutputFile());

    DelimitedReader reader(m_ui);
    const qint64 size = reader.openInputFile(path(u"out.csv"_s));
    EXPECT_EQ(size, readBytes(u"out.csv"_s).size());
    for (int i = 0; i < 3; ++i) {
        ASSERT_GT(reader.nextLine(), 0);
        ASSERT_EQ(reader.nextField(), Kind::Quoted);
        EXPECT_EQ(reader.field(), u"Row \"%1\"\nnext|line"_s.arg(i))
            << "the line break and the \"|\" come back as written";
        ASSERT_EQ(reader.nextField(), Kind::Unquoted);
        EXPECT_DOUBLE_EQ(reader.fieldAsNumber(), i * 10);
        ASSERT_EQ(reader.nextField(), Kind::Quoted);
        reader.deformatField(u"@d17"_s);
        EXPECT_EQ(reader.field(), QString::number(70000 + i));
        EXPECT_EQ(reader.nextField(), Kind::None);
    }
    EXPECT_EQ(reader.nextLine(), -1);
    EXPECT_EQ(reader.bytesRead(), size);
    reader.setToStart(true);
    EXPECT_GT(reader.nextLine(), 0);
    EXPECT_TRUE(m_ui.interactions().isEmpty());
}

TEST_F(DelimitedTest, AQuotedFieldWithLineBreaksIsOneField)
{
    writeBytes(u"in.csv"_s,
               "\"http://a/\",\"two\r\nlines, \"\"quoted\"\"\n\nand a blank one\",7\r\n"
               "\"http://b/\",\"one\"\n"
               "\"http://c/\",\"never closed,3\n"
               "http://d/,after\n");
    DelimitedReader reader(m_ui);
    const qint64 size = reader.openInputFile(path(u"in.csv"_s));
    QList<QStringList> records;
    while (reader.nextLine() >= 0) {
        QStringList fields;
        while (reader.nextField() != Kind::None)
            fields << reader.field();
        records << fields;
    }
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records.at(0),
              (QStringList{u"http://a/"_s,
                           u"two\r\nlines, \"quoted\"\n\nand a blank one"_s,
                           u"7"_s}));
    EXPECT_EQ(records.at(1), (QStringList{u"http://b/"_s, u"one"_s}));
    // A quote that is never closed (up to the end of the file) takes the rest of its own line
    // only, and the next line is a record of its own.
    EXPECT_EQ(records.at(2), (QStringList{u"http://c/"_s, u"never closed,3"_s}));
    EXPECT_EQ(records.at(3), (QStringList{u"http://d/"_s, u"after"_s}));
    EXPECT_EQ(reader.bytesRead(), size);
}

TEST_F(DelimitedTest, ReadsLineEndsBlankLinesAndOtherEncodings)
{
    writeBytes(u"in.csv"_s, "\xEF\xBB\xBF\"a\"\r\n\r\n\"caf\xE9\"\n\"\xC3\xA9t\xC3\xA9\"");
    DelimitedReader reader(m_ui);
    ASSERT_GT(reader.openInputFile(path(u"in.csv"_s)), 0);
    QStringList lines;
    while (reader.nextLine() >= 0)
        lines << reader.line();
    EXPECT_EQ(lines, (QStringList{u"\"a\""_s, QString(), u"\"café\""_s, u"\"été\""_s}));
}

TEST_F(DelimitedTest, OpeningInputAsksAgainAfterAnEmptyFileAndReportsErrors)
{
    writeBytes(u"empty.csv"_s, {});
    writeBytes(u"good.csv"_s, "\"x\"\n");
    DelimitedReader reader(m_ui);

    m_ui.push(path(u"empty.csv"_s));
    m_ui.push(path(u"good.csv"_s));
    EXPECT_EQ(reader.openInputFile(QString()), 4);
    EXPECT_EQ(m_ui.titles(), (QStringList{u"Import File"_s, u"Attention!"_s, u"Import File"_s}));
    EXPECT_EQ(m_ui.messages(), QStringList{u"That file is empty!  Please pick another file."_s});

    m_ui.clear();
    m_ui.pushCancel();
    EXPECT_EQ(reader.openInputFile(QString()), 0);
    EXPECT_EQ(reader.openInputFile(path(u"empty.csv"_s)), 0);
    EXPECT_EQ(m_ui.titles(), QStringList{u"Import File"_s}) << "an empty named file is quiet";

    m_ui.clear();
    const QString missing = path(u"missing.csv"_s);
    EXPECT_EQ(reader.openInputFile(missing), 0);
    ASSERT_EQ(m_ui.titles(), QStringList{u"Cannot OPEN "_s + missing});
    EXPECT_TRUE(m_ui.messages().constFirst().startsWith(u"Error #2 - "_s))
        << qPrintable(m_ui.messages().constFirst());
}

TEST_F(DelimitedTest, CreatingOutputReportsErrorsAndKeepsLongNames)
{
    DelimitedWriter writer(m_ui);
    m_ui.pushCancel();
    EXPECT_FALSE(writer.createOutputFile(u"   "_s));
    EXPECT_EQ(m_ui.titles(), QStringList{u"Export File"_s});

    m_ui.clear();
    const QString bad = path(u"no/such/folder/out.csv"_s);
    EXPECT_FALSE(writer.createOutputFile(bad));
    EXPECT_EQ(m_ui.titles(), QStringList{u"Cannot CREATE "_s + bad});

    // a name longer than 80 characters is used as given, never cut to another file's name
    const QString longName = path(QString(120, u'n') + u".csv"_s);
    writeBytes(QString(120, u'n') + u".csv"_s, "old contents that are replaced\n");
    ASSERT_TRUE(writer.createOutputFile(longName));
    writer.startLine();
    writer.writeField(1, u"@n3"_s);
    ASSERT_TRUE(writer.writeLine());
    ASSERT_TRUE(writer.closeOutputFile());
    EXPECT_EQ(readBytes(QString(120, u'n') + u".csv"_s), "1\n");
}

TEST_F(DelimitedTest, WriteErrorsOfferRetryAndAbort)
{
    if (!QFile::exists(u"/dev/full"_s))
        GTEST_SKIP() << "no /dev/full";
    DelimitedWriter writer(m_ui);
    ASSERT_TRUE(writer.createOutputFile(u"/dev/full"_s));
    m_ui.push(0); // Retry
    m_ui.push(1); // Abort
    writer.startLine();
    writer.writeField(QString(300000, u'x'), u"@s400000"_s); // more than one buffer's worth
    EXPECT_FALSE(writer.writeLine());
    EXPECT_EQ(m_ui.titles(),
              (QStringList{u"Cannot ADD to /dev/full"_s, u"Cannot ADD to /dev/full"_s}));
    EXPECT_TRUE(m_ui.interactions().constFirst().text.startsWith(u"Error #28 - "_s));
    writer.closeOutputFile();
}

TEST_F(DelimitedTest, PictureEntryInsistsOnAnAt)
{
    m_ui.push(u"s50"_s);
    m_ui.push(u"@s50"_s);
    EXPECT_EQ(PictureEntry::ask(m_ui, u"@S1000"_s), u"@s50"_s);
    EXPECT_EQ(m_ui.titles(),
              (QStringList{u"Enter Picture..."_s, u"Invalid Picture!"_s, u"Enter Picture..."_s}));
    EXPECT_EQ(m_ui.messages(), QStringList{u"Pictures must begin with \"@\""_s});
    m_ui.clear();
    m_ui.pushCancel();
    EXPECT_EQ(PictureEntry::ask(m_ui, u"@S1000"_s), QString());
    EXPECT_EQ(PictureEntry::kindText(u"@s9"_s, u"Alpha-num"_s, u"Numeric"_s), u"Alpha-num"_s);
    EXPECT_EQ(PictureEntry::kindText(u"@N30.9"_s, u"Alpha-num"_s, u"Numeric"_s), u"Numeric"_s);
    EXPECT_EQ(PictureEntry::kindText(u"@d17"_s, u"Alpha-num"_s, u"Numeric"_s), u"@d17"_s);
}

// Text values of awkward characters (line breaks too) come back as written; random lines never
// hang or crash.
TEST_F(DelimitedTest, FuzzRoundTripAndGarbage)
{
    QRandomGenerator rng(8122026);
    const QString alphabet = u"a ,\"|\n\r;é\U0001F600"_s;
    auto randomText = [&](int maxLength) {
        QString s;
        const int n = rng.bounded(maxLength + 1);
        while (s.size() < n)
            s += alphabet[rng.bounded(alphabet.size())];
        return s;
    };
    DelimitedWriter writer(m_ui);
    DelimitedReader reader(m_ui);
    for (int i = 0; i < 3000; ++i) {
        QStringList values;
        writer.startLine();
        for (int f = rng.bounded(1, 6); f > 0; --f) {
            values << randomText(30);
            writer.writeField(values.last(), u"@s255"_s);
        }
        reader.setLine(writer.line());
        for (const QString &value : std::as_const(values)) {
            QString expected = value;
            while (expected.endsWith(u' '))
                expected.chop(1);
            ASSERT_EQ(reader.nextField(), Kind::Quoted) << qPrintable(writer.line());
            ASSERT_EQ(reader.field(), expected) << qPrintable(writer.line());
        }
        ASSERT_EQ(reader.nextField(), Kind::None) << qPrintable(writer.line());

        const QString garbage = randomText(60);
        reader.setLine(garbage);
        int count = 0;
        while (reader.nextField() != Kind::None)
            ASSERT_LE(++count, garbage.size() + 1) << qPrintable(garbage);
        EXPECT_GE(DelimitedReader::toNumber(garbage), 0.0);
    }
}

} // namespace
} // namespace pk
