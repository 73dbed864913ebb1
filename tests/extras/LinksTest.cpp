#include <QPlainTextEdit>
#include <QPushButton>

#include "extras/AboutWindow.h"
#include "extras/Links.h"
#include "extras/MorbeckPrompt.h"
#include "support/ExtrasFixture.h"
#include "ui/Labels.h"

using namespace extras;

namespace {
AboutTexts Texts() {
    return {"Vastrel",
            "Quenzor",
            "Version:4.4",
            "General",
            "Released in 2026",
            "Vastrel Software",
            "https://www.vastrel.example/",
            "support@vastrel.example"};
}
}  // namespace

TEST_F(ExtrasTest, HelpWebMailAndFaqHandTheirTargetsToTheShell) {
    OpenHelpFile("/opt/Quenzor/", "/Help.chm");
    OpenHomePage("https://www.vastrel.example/");
    OpenSupportMail("support@vastrel.example");
    OpenFaq();
    ASSERT_EQ(opened.size(), 4u);
    // The doubled delimiter is kept: it names the same file.
    EXPECT_EQ(opened[0], "/opt/Quenzor//Help.chm");
    EXPECT_EQ(opened[1], "https://www.vastrel.example/");
    EXPECT_EQ(opened[2], "mailto:support@vastrel.example");
    EXPECT_TRUE(opened[3].starts_with("https://"));
    EXPECT_TRUE(opened[3].ends_with("/Quenzor/faq.htm"));
}

TEST_F(ExtrasTest, AboutLinksOpenExactlyTheTextsTheyShow) {
    TAboutForm about;
    about.SetTexts(Texts());
    about.URLClick();
    about.EMAILClick();
    // A real click on the link label does the same.
    emit about.URL->clicked();
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], "https://www.vastrel.example/");
    EXPECT_EQ(opened[1], "mailto:support@vastrel.example");
    EXPECT_EQ(opened[2], opened[0]);
}

TEST_F(ExtrasTest, AboutShowsEveryTextInItsLabel) {
    TAboutForm about;
    about.SetTexts(Texts());
    EXPECT_EQ(about.windowTitle(), "AboutForm");
    EXPECT_EQ(about.Company->text(), "Vastrel");
    for (QLabel* layer : {about.ProductName1, about.ProductName2, about.ProductName3}) {
        EXPECT_EQ(layer->text(), "Quenzor");
    }
    // Engraved: white lowest, then grey, then black on top, each one pixel higher; at the designed 36 or,
    // in a font that reaches lower than the design's, as much higher as keeps it off the edition line.
    EXPECT_LE(about.ProductName1->y(), 36);
    EXPECT_EQ(about.ProductName3->y(), about.ProductName1->y() - 1);
    EXPECT_EQ(about.ProductName2->y(), about.ProductName1->y() - 2);
    const auto children = about.children();
    EXPECT_LT(children.indexOf(about.ProductName1), children.indexOf(about.ProductName3));
    EXPECT_LT(children.indexOf(about.ProductName3), children.indexOf(about.ProductName2));
    EXPECT_EQ(about.Version->text(), "Version:4.4");
    EXPECT_EQ(about.VersionSM->text(), "General");
    EXPECT_EQ(about.CopyrightYeah->text(), "Released in 2026");
    EXPECT_EQ(about.Copyright->text(), "Vastrel Software");
    EXPECT_EQ(about.Label1->text(), "E-Mail:");
    EXPECT_EQ(about.Memo1->toPlainText(), "Date:06-09-2003");
    EXPECT_TRUE(about.Memo1->isHidden());
    EXPECT_FALSE(about.Image1->pixmap().isNull()) << "the About picture is compiled in";
}

TEST_F(ExtrasTest, MorbeckPromptDescribesTheToolAndDownloadsFromItsAddress) {
    TFormMorbeck prompt;
    EXPECT_EQ(prompt.windowTitle(), "Morbeck");
    EXPECT_EQ(prompt.Label1->text(), "Morbeck");
    const QStringList rows = prompt.Memo1->toPlainText().split('\n');
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(rows[0], "Morbeck is a handy tool that help you one click to repair media ");
    EXPECT_EQ(rows[2], "");
    EXPECT_EQ(rows[6], " Support: RM, WMA, WMV, ASF, WM, ASX, AVI ,MP3, MP2, MP1, ");
    EXPECT_EQ(rows[9], " The rate of success in the fix has reached 82.8% to 97.6%.");

    prompt.DownloadAddress = "https://www.vastrel.example/";
    prompt.Button1->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "https://www.vastrel.example/");
}
