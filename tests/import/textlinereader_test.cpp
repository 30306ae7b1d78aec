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

TEST_F(TextLineReaderTest, InvalidBytesSpoilOnlyThemselves)
{
    const struct
    {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"caf\xc3\xa9 \x93q\x94 \xe2\x82\xac", u"caf\u00e9 \u201cq\u201d \u20ac"_s},
        // A cut sequence, an overlong one, a surrogate, one past U+10FFFF: byte by byte.
        {"\xe2\x82 x", u"\u00e2\u201a x"_s},
        {"\xc0\xaf", u"\u00c0\u00af"_s},
        {"\xed\xa0\x80", u"\u00ed\u00a0\u20ac"_s},
        {"\xf4\x90\x80\x80", u"\u00f4\u0090\u20ac\u20ac"_s},
        {"\xf0\x9f\x98\x80\xff", u"\U0001F600\u00ff"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextLineReader::decodeUtf8OrWindows1252(c.bytes), c.text)
            << c.bytes.toHex().data();
}

TEST_F(TextLineReaderTest, Utf16WithoutAMarkAndFilesThatAreNoText)
{
    const QString text = u"<a>\u00e9</a>\nline two"_s;
    QByteArray le;
    QByteArray be;
    for (const QChar c : text) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    EXPECT_EQ(lines(le), QStringList({u"<a>\u00e9</a>"_s, u"line two"_s}));
    EXPECT_EQ(lines(be), QStringList({u"<a>\u00e9</a>"_s, u"line two"_s}));
    EXPECT_FALSE(TextLineReader::utf16WithoutMark("plain text, no zero bytes"));
    EXPECT_FALSE(TextLineReader::utf16WithoutMark(QByteArray(100, '\0')));

    const auto isText = [this](const QByteArray &bytes) {
        TextLineReader reader;
        EXPECT_TRUE(reader.open(writeFile(u"probe"_s, bytes)));
        return reader.isText();
    };
    EXPECT_TRUE(isText(""));
    EXPECT_TRUE(isText("caf\xe9\tand\f\x1b[0m\r\n"));
    EXPECT_TRUE(isText(le));
    EXPECT_FALSE(isText(QByteArray("\x7f"
                                   "ELF\x02\x01\x01")
                        + QByteArray(10, '\0') + "text"));
    EXPECT_FALSE(isText(QByteArray(200, '\x01')));
    QByteArray le16WithNul = le;
    le16WithNul += QByteArray(4, '\0');
    EXPECT_FALSE(isText(le16WithNul));
}

TEST_F(TextLineReaderTest, MissingFileIsAnError)
{
    TextLineReader reader;
    EXPECT_FALSE(reader.open(temp.root() + u"/none.txt"_s));
    EXPECT_FALSE(reader.errorString().isEmpty());
}
