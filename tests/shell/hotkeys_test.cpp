#include "platform/hotkeygrabber.h"
#include "shell/hotkeys.h"
#include "shell/hotkeytext.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

struct KeyCase
{
    const char *text;
    quint16 code;
};

/// Grants every key except those in `held`, as if another program held them.
class FakeGrabber final : public HotKeyGrabber
{
public:
    bool grab(int id, quint16 code) override
    {
        if (held.contains(code))
            return false;
        grabbed.insert(id);
        return true;
    }
    bool release(int id) override { return grabbed.remove(id) && !failRelease; }

    QSet<quint16> held;
    QSet<int> grabbed;
    bool failRelease = false;
};

} // namespace

TEST(HotKeyText, ParsesPrefixesWordsAndNames)
{
    const KeyCase cases[] = {
        {"WinU", 0x0855},
        {"WinG", 0x0847},
        {"winu", 0x0855},
        {"*U", 0x0855},
        {"+A", 0x0441},
        {"^A", 0x0241},
        {"%A", 0x0141},
        {"^%+*Z", 0x0F5A},
        {"ShiftF1", 0x0470},
        {"ShiF1", 0x0470},
        {"CtrlAltDel", 0x032E},
        {"Ctrl+U", 0x0255},
        {"Alt-F4", 0x0173},
        {"-WinU", 0x0855},
        {"KeyU", 0x0055},
        {"WinKeyU", 0x0855},
        {"F24", 0x0087},
        {"Home", 0x0024},
        {"7", 0x0037},
        {"Shift Space", 0x0420},
        // Nothing to press, or no such key: no code.
        {"", 0},
        {"Win", 0},
        {"^", 0},
        {"WinF25", 0},
        {"WinÜ", 0},
        {"Foo", 0},
        {"-", 0},
        {"CtrlAlt", 0},
    };
    for (const KeyCase &c : cases)
        EXPECT_EQ(HotKeyText::parse(QString::fromUtf8(c.text)), c.code) << c.text;
}

TEST(HotKeyText, SurvivesArbitraryText)
{
    // Every short text over a small alphabet of meaningful characters parses without harm
    // and yields a code only with a known key in its low byte.
    const QString alphabet = u"+^%*-WINKEYSHFTCRLAU1 "_s;
    for (int a = 0; a < alphabet.size(); ++a)
        for (int b = 0; b < alphabet.size(); ++b)
            for (int c = 0; c < alphabet.size(); ++c) {
                const QString text = QString(alphabet[a]) + alphabet[b] + alphabet[c];
                const quint16 code = HotKeyText::parse(text);
                if (code != 0) {
                    EXPECT_NE(HotKeyText::key(code), 0) << qPrintable(text);
                }
            }
}

TEST(HotKeys, RefusedKeysAreKeptSilentlyAndPressesAreQueued)
{
    FakeGrabber grabber;
    grabber.held.insert(HotKeyText::parse(u"WinG"_s));
    HotKeys keys(grabber);
    keys.registerKeys({u"WinU"_s, u"WinG"_s});
    ASSERT_EQ(keys.registered().size(), 2);
    EXPECT_EQ(keys.failed(), (QList<HotKeys::Key>{{0x0847, u"WinG"_s}}));
    EXPECT_EQ(grabber.grabbed, QSet<int>{1});

    int emitted = 0;
    QObject::connect(&keys, &HotKeys::keyFired, [&] { ++emitted; });
    keys.fire(1);
    keys.fire(7); // not ours
    EXPECT_EQ(emitted, 2);
    const auto first = keys.takeFired();
    ASSERT_TRUE(first);
    EXPECT_EQ(HotKeys::name(*first), u"WinU"_s);
    const auto second = keys.takeFired();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->code, 0);
    EXPECT_EQ(HotKeys::name(*second), u"Unknown: 7"_s);
    EXPECT_FALSE(keys.takeFired());

    // A refused key's identifier is not a press of it either.
    keys.fire(2);
    EXPECT_EQ(keys.takeFired()->code, 0);

    grabber.failRelease = true;
    keys.unregisterAll();
    EXPECT_TRUE(keys.registered().isEmpty());
    EXPECT_EQ(keys.failed().size(), 2); // WinG refused, WinU not released
}
