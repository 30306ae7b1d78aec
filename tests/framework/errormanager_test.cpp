#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"

#include <gtest/gtest.h>

#include <set>

using namespace pk;

namespace {

struct ErrorManagerTest : ::testing::Test
{
    ScriptedUserInterface ui;
    ErrorManager errors{ui};
    QStringList halted;

    ErrorManagerTest()
    {
        errors.setHaltHandler([this](const QString &, const QString &text) { halted.append(text); });
    }
};

} // namespace

TEST(ErrorCatalogueTest, HoldsFiftyTwoUniqueEntriesWithoutNumber32)
{
    const auto entries = ErrorCatalogue::entries();
    EXPECT_EQ(entries.size(), 52u);
    std::set<int> numbers;
    for (const ErrorEntry &e : entries)
        numbers.insert(e.number);
    EXPECT_EQ(numbers.size(), 52u);
    EXPECT_EQ(ErrorCatalogue::find(32), nullptr);
    EXPECT_EQ(ErrorCatalogue::find(54), nullptr);
    ASSERT_NE(ErrorCatalogue::find(53), nullptr);
    EXPECT_STREQ(ErrorCatalogue::find(15)->title, "Duplicate Key Error");
}

TEST_F(ErrorManagerTest, FileErrorCodeIsReplacedBeforeFileErrorAndFile)
{
    ErrorContext c;
    c.file = QStringLiteral("URL_C.TPS");
    c.fileError = QStringLiteral("bad block");
    c.fileErrorCode = QStringLiteral("90");
    EXPECT_EQ(errors.fill(QStringLiteral("%FileErrorCode/%FileError/%File"), c),
              QStringLiteral("90/bad block/URL_C.TPS"));
}

TEST_F(ErrorManagerTest, ErrorTextIsReplacedBeforeError)
{
    ErrorContext c;
    c.errorText = QStringLiteral("Access Denied");
    c.errorCode = QStringLiteral("5");
    EXPECT_EQ(errors.fill(QStringLiteral("%ErrorCode %ErrorText %Error"), c),
              QStringLiteral("5 Access Denied Access Denied"));
}

TEST_F(ErrorManagerTest, FilledMessageIsCappedAt2000Characters)
{
    ErrorContext c;
    c.message = QString(3000, QLatin1Char('x'));
    const auto [title, text] = errors.format(Msg::DuplicateKey, c);
    EXPECT_EQ(title, QStringLiteral("Duplicate Key Error"));
    EXPECT_EQ(text.size(), ErrorManager::MaxMessageLength);
}

TEST_F(ErrorManagerTest, NotifyLevelShowsMessageAndReturnsFive)
{
    ErrorContext c;
    c.message = QStringLiteral("Site Location");
    EXPECT_EQ(errors.raise(Msg::DuplicateKey, c), 5);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.last()->title, QStringLiteral("Duplicate Key Error"));
    EXPECT_EQ(ui.last()->text,
              QStringLiteral(
                  "Adding this record creates a duplicate entry for the key: Site Location"));
}

TEST_F(ErrorManagerTest, UserLevelAsksAndMapsYesToZeroAndNoToFour)
{
    ui.push(true);
    EXPECT_EQ(errors.raise(Msg::ConfirmDelete), 0);
    ui.push(false);
    EXPECT_EQ(errors.raise(Msg::ConfirmDelete), 4);
    EXPECT_EQ(ui.interactions().at(0).kind, ScriptedUserInterface::Kind::YesNo);
}

TEST_F(ErrorManagerTest, DestructiveQuestionsDefaultToNoOthersToYes)
{
    // Unanswered questions take the default button, as Enter does.
    EXPECT_EQ(errors.raise(Msg::ConfirmDelete), 4);
    EXPECT_EQ(errors.raise(Msg::ChangesWillBeLost), 4);
    EXPECT_EQ(errors.raise(Msg::SaveRecord), 0);
    EXPECT_EQ(errors.raise(Msg::EndOfFile), 0);
}

TEST_F(ErrorManagerTest, FatalAndProgramLevelsHaltAfterTheClosingSentence)
{
    ErrorContext c;
    c.file = QStringLiteral("URLDATA.TPS");
    c.errorText = QStringLiteral("Invalid File");
    EXPECT_EQ(errors.raise(Msg::FileAccessError, c), 3);
    ASSERT_EQ(halted.size(), 1);
    EXPECT_EQ(halted.at(0),
              QStringLiteral("File URLDATA.TPS could not be opened.  Error: Invalid File."
                             "  Press OK to end this application"));
    EXPECT_EQ(errors.raise(Msg::FileUsageError, c), 3);
    EXPECT_EQ(halted.size(), 2);
}

TEST_F(ErrorManagerTest, BarStartsANewLine)
{
    ErrorContext c;
    c.file = QStringLiteral("F");
    c.errorText = QStringLiteral("E");
    errors.raise(4, c);
    EXPECT_EQ(ui.last()->text,
              QStringLiteral(
                  "An error was experienced during the creation of a record.\nFile: F\nError: E."));
}

TEST_F(ErrorManagerTest, ProcedureNotDefinedNamesTheProcedure)
{
    ErrorContext c;
    c.message = QStringLiteral("ImportWizard");
    errors.raise(Msg::ProcedureNotDefined, c);
    EXPECT_EQ(ui.messages().value(0),
              QStringLiteral("The Procedure ImportWizard has not been defined."));
}
