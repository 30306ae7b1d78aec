#include "linkcheck/analysis/tokencutter.h"

#include <gtest/gtest.h>

using pk::TokenCutter;

namespace {

std::vector<QString> cut(const QString &text)
{
    std::vector<QString> tokens;
    TokenCutter::cut(text, tokens);
    return tokens;
}

std::vector<QString> list(std::initializer_list<const char *> items)
{
    std::vector<QString> out;
    for (const char *item : items)
        out.push_back(QString::fromUtf8(item));
    return out;
}

} // namespace

TEST(TokenCutter, TagsAndTextBetweenThem)
{
    EXPECT_EQ(cut(QStringLiteral("<html><title>Home</title></html>")),
              list({"<html>", "<title>", "Home", "</title>", "</html>"}));
}

TEST(TokenCutter, SingleCharacterJoinsTheFollowingPiece)
{
    EXPECT_EQ(cut(QStringLiteral("a<b>")), list({"a<b>"}));
    EXPECT_EQ(cut(QStringLiteral("<p>x<br>yz")), list({"<p>", "x<br>", "yz"}));
}

TEST(TokenCutter, LineBreaksRemovedAndBlankTokensDropped)
{
    EXPECT_EQ(cut(QStringLiteral("<p>\r\n   <a\r\nhref=\"x\">one\ntwo</a>")),
              list({"<p>", "<ahref=\"x\">", "onetwo", "</a>"}));
}

TEST(TokenCutter, LongTokensAreCut)
{
    const auto tokens = cut(QStringLiteral("<p>") + QString(5000, QLatin1Char('x'))
                            + QStringLiteral("</p>"));
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[1].size(), TokenCutter::MaxToken);
}

TEST(TokenCutter, TokensNeverSpanBlocksAndUtf8SurvivesTheCut)
{
    TokenCutter cutter;
    std::vector<QString> tokens;
    const QByteArray page = QStringLiteral("<title>Zürich</title>").toUtf8();
    const qsizetype split = page.indexOf("\xc3") + 1; // between the two bytes of "ü"
    cutter.cutBytes(page.constData(), split, tokens);
    cutter.cutBytes(page.constData() + split, page.size() - split, tokens);
    EXPECT_EQ(tokens, list({"<title>", "Z", "ürich", "</title>"}));
}
