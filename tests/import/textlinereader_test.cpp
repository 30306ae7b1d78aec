#include "importfixture.h"

#include "import/textlinereader.h"

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

class TextLineReaderTest : public ImportTest
{
protected:
    QStringList lines(const QByteArray &bytes,
                      qsizetype maxLine = TextLineReader::DefaultMaxLine,
                      QList<bool> *continuations = nullptr)
    {
        TextLineReader reader;
        reader.setMaxLineLength(maxLine);
        EXPECT_TRUE(reader.open(writeFile(u"lines.txt"_s, bytes)));
        QStringList out;
        while (const auto line = reader.next()) {
            out << line->text;
            if (continuations)
                *continuations << line->continuation;
        }
        EXPECT_EQ(reader.position(), reader.size());
        return out;
    }
};

} // namespace

TEST_F(TextLineReaderTest, AnyLineEndEndsALine)
{
    EXPECT_EQ(lines("a\nb\r\nc\rd"), QStringList({u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
    EXPECT_EQ(lines("a\r\n\r\nb\n"), QStringList({u"a"_s, QString(), u"b"_s}));
    EXPECT_EQ(lines(""), QStringList());
    // A CR at the end of one read block and its LF at the start of the next are one line end.
    QByteArray boundary(64 * 1024 - 1, 'x');
    boundary += "\r\nnext";
    const QStringList split = lines(boundary);
    ASSERT_EQ(split.size(), 2);
    EXPECT_EQ(split[1], u"next"_s);
}

TEST_F(TextLineReaderTest, LongLinesComeInPiecesWithoutSplittingCharacters)
{
    QByteArray text;
    for (int i = 0; i < 10; ++i)
        text += "\xc3\xa9"; // é, two bytes each
    text += "\nend";
    QList<bool> continued;
    const QStringList out = lines(text, 5, &continued);
    EXPECT_EQ(out.join(QString()), QString(10, QChar(0xe9)) + u"end"_s);
    for (const QString &piece : out)
        EXPECT_FALSE(piece.contains(QChar::ReplacementCharacter));
    EXPECT_FALSE(continued.first());
    EXPECT_TRUE(continued[1]);
    EXPECT_FALSE(continued.last()); // "end" starts a line of its own
}

TEST_F(TextLineReaderTest, CharacterSets)
{
    EXPECT_EQ(TextLineReader::declaredCharset("<meta charset=\"UTF-8\">"), u"utf-8"_s);
    EXPECT_EQ(TextLineReader::declaredCharset("content=\"text/html; charset=windows-1252\""),
              u"windows-1252"_s);
    EXPECT_FALSE(TextLineReader::declaredCharset("<html>"));
    EXPECT_EQ(TextLineReader::decodeUtf8OrWindows1252("\x80 \xe9"), u"\u20ac \u00e9"_s);
    EXPECT_EQ(TextLineReader::decodeUtf8OrWindows1252("\xe2\x82\xac"), u"\u20ac"_s);
    // A byte-order mark is not part of the text.
    EXPECT_EQ(lines("\xef\xbb\xbfhello"), QStringList({u"hello"_s}));
    QByteArray be("\xfe\xff");
    for (const char c : QByteArray("a\r\nb"))
        be += QByteArray(1, '\0') + c;
    EXPECT_EQ(lines(be), QStringList({u"a"_s, u"b"_s}));
}

TEST_F(TextLineReaderTest, MissingFileIsAnError)
{
    TextLineReader reader;
    EXPECT_FALSE(reader.open(temp.root() + u"/none.txt"_s));
    EXPECT_FALSE(reader.errorString().isEmpty());
}
