#include <sys/stat.h>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <filesystem>

#include "extras/AboutWindow.h"
#include "extras/ThankFile.h"
#include "extras/ThankWindow.h"
#include "support/ExtrasFixture.h"
#include "support/ModalDriver.h"

using namespace extras;
using Lines = std::vector<std::string>;

TEST(ThankLines, EveryKindOfLineEndingEndsALine) {
    EXPECT_EQ(SplitTextLines(""), Lines{});
    EXPECT_EQ(SplitTextLines("a"), Lines{"a"});
    EXPECT_EQ(SplitTextLines("a\n"), Lines{"a"});
    EXPECT_EQ(SplitTextLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitTextLines("a\rb\rc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitTextLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitTextLines("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitTextLines("\n"), Lines{""});
}

TEST(ThankLines, OnlyLinesStartingWithTwoSlashesAreSkipped) {
    EXPECT_EQ(FilterThankLines({"// note", "Thanks to all", "", "/", " // kept", "/x/", "//"}),
              (Lines{"Thanks to all", "", "/", " // kept", "/x/"}));
}

TEST_F(ExtrasTest, ThankFileReadErrorsNameTheFile) {
    EXPECT_THROW(
        {
            try {
                ReadThankFile(Dir() + "thank.txt");
            } catch (const ThankFileError& e) {
                EXPECT_NE(std::string(e.what()).find("thank.txt"), std::string::npos);
                throw;
            }
        },
        ThankFileError);
    std::filesystem::create_directory(Dir() + "folder.txt");
    EXPECT_THROW(ReadThankFile(Dir() + "folder.txt"), ThankFileError);
    // A pipe with no writer under the name is refused at once instead of waiting for text.
    ASSERT_EQ(::mkfifo((Dir() + "pipe.txt").c_str(), 0600), 0);
    EXPECT_THROW(ReadThankFile(Dir() + "pipe.txt"), ThankFileError);
}

class ThankWindow : public ExtrasTest {
  protected:
    void SetUp() override {
        ExtrasTest::SetUp();
        about.SetThankForm(&thank);
    }
    // Clicks "Thank"; returns the memo text the Thank window showed, or nullopt when it did not open.
    std::optional<QString> ClickThank() {
        std::optional<QString> shown;
        RunModal([&] { about.ThankButtonClick(); },
                 [&](QWidget* w) {
                     if (w == &thank)
                         shown = Memo()->toPlainText();
                 });
        return shown;
    }
    QPlainTextEdit* Memo() { return Child<QPlainTextEdit>(thank, "Memo1"); }
    TAboutForm about;
    TThankForm thank;
};

TEST_F(ThankWindow, ButtonShowsOnlyWhenTheFileIsInstalled) {
    about.ShowThankButtonIfFileExists(Dir());
    EXPECT_TRUE(Child<QPushButton>(about, "ThankButton")->isHidden());
    WriteFile("thank.txt", "x\n");
    about.ShowThankButtonIfFileExists(Dir());
    EXPECT_FALSE(Child<QPushButton>(about, "ThankButton")->isHidden());
}

TEST_F(ThankWindow, ShowsTheFilteredTextOnceHoweverOftenItIsOpened) {
    WriteFile("thank.txt", "// comment\nThanks to our testers\n\n");
    EXPECT_EQ(ClickThank(), QString("Thanks to our testers\n"));
    EXPECT_EQ(ClickThank(), QString("Thanks to our testers\n"));
    // The file is read afresh at every click.
    WriteFile("thank.txt", "Mac line one\rMac line two\r// hidden\r");
    EXPECT_EQ(ClickThank(), QString("Mac line one\nMac line two"));
    WriteFile("thank.txt", "");
    EXPECT_EQ(ClickThank(), QString(""));
    EXPECT_TRUE(platform::MessageBox::TakeShown().empty());

    // Read-only, the text still answers Ctrl+End and Ctrl+Home.
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "Thanks, " + std::to_string(i) + "\n";
    WriteFile("thank.txt", lines);
    RunModal([&] { about.ThankButtonClick(); },
             [&](QWidget*) {
                 const QScrollBar* bar = Memo()->verticalScrollBar();
                 ASSERT_GT(bar->maximum(), 0);
                 QTest::keyClick(Memo(), Qt::Key_End, Qt::ControlModifier);
                 EXPECT_TRUE(Memo()->textCursor().atEnd());
                 EXPECT_TRUE(Memo()->viewport()->rect().contains(Memo()->cursorRect()))
                     << "the last line is in view";
                 QTest::keyClick(Memo(), Qt::Key_Home, Qt::ControlModifier);
                 EXPECT_TRUE(Memo()->textCursor().atStart());
                 EXPECT_EQ(bar->value(), 0);
             });
}

TEST_F(ThankWindow, ALongLineIsShownWhole) {
    const std::string longLine(1 << 20, 'x');
    WriteFile("thank.txt", "// header\n" + longLine + "\nend\n");
    auto shown = ClickThank();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->size(), qsizetype(longLine.size() + 4));
    EXPECT_TRUE(shown->endsWith("\nend"));
    EXPECT_EQ(Memo()->lineWrapMode(), QPlainTextEdit::NoWrap) << "wrapping it would freeze the window";
    WriteFile("thank.txt", "short\n");
    ClickThank();
    EXPECT_EQ(Memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

TEST_F(ThankWindow, AFileGoneAfterStartIsReportedAndNoStaleTextRemains) {
    WriteFile("thank.txt", "Old thanks\n");
    about.ShowThankButtonIfFileExists(Dir());
    ASSERT_EQ(ClickThank(), QString("Old thanks"));
    std::filesystem::remove(Dir() + "thank.txt");

    EXPECT_EQ(ClickThank(), std::nullopt) << "the Thank window must not open";
    auto boxes = platform::MessageBox::TakeShown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("thank.txt"), std::string::npos);
    EXPECT_TRUE(Memo()->toPlainText().isEmpty());

    // Unreadable: a folder under the same name.
    std::filesystem::create_directory(Dir() + "thank.txt");
    EXPECT_EQ(ClickThank(), std::nullopt);
    EXPECT_EQ(platform::MessageBox::TakeShown().size(), 1u);
}
