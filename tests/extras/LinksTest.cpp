#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>

#include "extras/AboutWindow.h"
#include "extras/HelpWindow.h"
#include "extras/Links.h"
#include "extras/MorbeckPrompt.h"
#include "support/ExtrasFixture.h"
#include "support/FileHelpers.h"
#include "support/ModalDriver.h"
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
    emit Child<ui::TLinkLabel>(about, "URL")->clicked();
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], "https://www.vastrel.example/");
    EXPECT_EQ(opened[1], "mailto:support@vastrel.example");
    EXPECT_EQ(opened[2], opened[0]);
}

TEST_F(ExtrasTest, AboutShowsEveryTextInItsLabel) {
    TAboutForm about;
    about.SetTexts(Texts());
    EXPECT_EQ(about.windowTitle(), "AboutForm");
    EXPECT_EQ(Child<ui::TLinkLabel>(about, "Company")->text(), "Vastrel");
    for (QLabel* layer : {Child<QLabel>(about, "ProductName1"), Child<QLabel>(about, "ProductName2"),
                          Child<QLabel>(about, "ProductName3")}) {
        EXPECT_EQ(layer->text(), "Quenzor");
    }
    // Engraved: white lowest, then grey, then black on top, each one pixel higher; at the designed 36 or,
    // in a font that reaches lower than the design's, as much higher as keeps it off the edition line.
    auto* white = Child<QLabel>(about, "ProductName1");
    auto* grey = Child<QLabel>(about, "ProductName3");
    auto* black = Child<QLabel>(about, "ProductName2");
    EXPECT_LE(white->y(), 36);
    EXPECT_EQ(grey->y(), white->y() - 1);
    EXPECT_EQ(black->y(), white->y() - 2);
    const auto children = about.children();
    EXPECT_LT(children.indexOf(white), children.indexOf(grey));
    EXPECT_LT(children.indexOf(grey), children.indexOf(black));
    EXPECT_EQ(Child<QLabel>(about, "Version")->text(), "Version:4.4");
    EXPECT_EQ(Child<QLabel>(about, "VersionSM")->text(), "General");
    EXPECT_EQ(Child<QLabel>(about, "CopyrightYeah")->text(), "Released in 2026");
    EXPECT_EQ(Child<QLabel>(about, "Copyright")->text(), "Vastrel Software");
    EXPECT_EQ(Child<QLabel>(about, "Label1")->text(), "E-Mail:");
    EXPECT_EQ(Child<QPlainTextEdit>(about, "Memo1")->toPlainText(), "Date:06-09-2003");
    EXPECT_TRUE(Child<QPlainTextEdit>(about, "Memo1")->isHidden());
    EXPECT_FALSE(Child<ui::ImageLabel>(about, "Image1")->pixmap().isNull())
        << "the About picture is compiled in";
}

TEST_F(ExtrasTest, MorbeckPromptDescribesTheToolAndDownloadsFromItsAddress) {
    TFormMorbeck prompt;
    EXPECT_EQ(prompt.windowTitle(), "Morbeck");
    EXPECT_EQ(Child<QLabel>(prompt, "Label1")->text(), "Morbeck");
    const QStringList rows = Child<QPlainTextEdit>(prompt, "Memo1")->toPlainText().split('\n');
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(rows[0], "Morbeck is a handy tool that help you one click to repair media ");
    EXPECT_EQ(rows[2], "");
    EXPECT_EQ(rows[6], " Support: RM, WMA, WMV, ASF, WM, ASX, AVI ,MP3, MP2, MP1, ");
    EXPECT_EQ(rows[9], " The rate of success in the fix has reached 82.8% to 97.6%.");

    prompt.SetDownloadAddress("https://www.vastrel.example/");
    Child<QPushButton>(prompt, "Button1")->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "https://www.vastrel.example/");
}

TEST_F(ExtrasTest, WithoutAViewerForHelpChmTheHelpPagesShowInTheProgramsOwnWindow) {
    // A desktop on which nothing takes compiled help: no association, no application claiming the type.
    testsupport::ScratchDir desktop;
    const testsupport::ScopedEnv dataHome("XDG_DATA_HOME", desktop.File("data").c_str());
    const testsupport::ScopedEnv dataDirs("XDG_DATA_DIRS", desktop.File("system").c_str());
    const testsupport::ScopedEnv configHome("XDG_CONFIG_HOME", desktop.File("config").c_str());
    const testsupport::ScopedEnv configDirs("XDG_CONFIG_DIRS", desktop.File("xdg").c_str());
    // The system's type database stays, so that Help.chm is known for what it is.
    QDir().mkpath(QString::fromStdString(desktop.File("system")));
    QFile::link(QStringLiteral("/usr/share/mime"), QString::fromStdString(desktop.File("system/mime")));
    const std::string programDir = QUENZOR_PROGRAM_DIR "/";
    QWidget owner;

    OpenHelpFile(programDir, "/Help.chm", &owner);
    EXPECT_TRUE(opened.empty()) << "nothing is handed to a desktop that cannot open it";
    auto* help = owner.findChild<THelpForm*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_EQ(help->windowTitle(), "Quenzor Help");
    auto* contents = Child<QTreeWidget>(*help, "Contents");
    auto* page = Child<QTextBrowser>(*help, "Page");
    ASSERT_TRUE(contents != nullptr && page != nullptr);
    // The contents are the help file's own, nesting included, and the first page shows.
    ASSERT_EQ(contents->topLevelItemCount(), 8);
    EXPECT_EQ(contents->topLevelItem(0)->text(0), "Welcome to Quenzor");
    QTreeWidgetItem* mainWindow = contents->topLevelItem(3);
    EXPECT_EQ(mainWindow->text(0), "The main window");
    ASSERT_EQ(mainWindow->childCount(), 3);
    EXPECT_EQ(mainWindow->child(0)->text(0), "Menus, toolbar and keys");
    EXPECT_EQ(help->CurrentPage(), "index.htm");
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("Quenzor converts a whole batch")));

    // A topic shows its page; a link between pages stays in the window, and Back returns.
    contents->itemClicked(mainWindow->child(2), 0);
    EXPECT_EQ(help->CurrentPage(), "completion.htm");
    EXPECT_EQ(contents->currentItem(), mainWindow->child(2));
    QTest::keyClick(contents, Qt::Key_Up);
    EXPECT_EQ(help->CurrentPage(), "output.htm") << "the keys move through the pages too";
    QTest::keyClick(contents, Qt::Key_Down);
    EXPECT_EQ(help->CurrentPage(), "completion.htm");
    page->anchorClicked(QUrl(QStringLiteral("troubleshooting.htm")));
    EXPECT_EQ(help->CurrentPage(), "troubleshooting.htm");
    EXPECT_EQ(contents->currentItem()->text(0), "Troubleshooting");
    ASSERT_TRUE(Child<QPushButton>(*help, "BackButton")->isEnabled());
    Child<QPushButton>(*help, "BackButton")->click();
    EXPECT_EQ(help->CurrentPage(), "completion.htm");
    EXPECT_TRUE(opened.empty());
    page->anchorClicked(QUrl(QStringLiteral("https://www.vastrel.example/")));
    EXPECT_EQ(opened, std::vector<std::string>{"https://www.vastrel.example/"});
    // A page that is not there is named, not shown blank.
    help->ShowPage("gone.htm");
    EXPECT_TRUE(page->toPlainText().contains(QString::fromStdString(programDir + "help/gone.htm")));

    // Asking again raises the same window.
    help->close();
    OpenHelpFile(programDir, "/Help.chm", &owner);
    EXPECT_EQ(owner.findChildren<THelpForm*>().size(), 1);
    EXPECT_TRUE(help->isVisible());
    help->close();

    // Once the user's associations name a viewer (a program that exists), the help file goes to the desktop
    // again; an entry that names no application does not count.
    QDir().mkpath(QString::fromStdString(desktop.File("config")));
    testsupport::WriteBytes(desktop.File("config/mimeapps.list"),
                            "[Default Applications]\napplication/vnd.ms-htmlhelp=\n");
    opened.clear();
    OpenHelpFile(programDir, "/Help.chm", &owner);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(help->isVisible());
    help->close();
    testsupport::WriteBytes(desktop.File("config/mimeapps.list"),
                            "[Added Associations]\r\napplication/x-chm=viewer.desktop;\r\n");
    QDir().mkpath(QString::fromStdString(desktop.File("data/applications")));
    testsupport::WriteBytes(desktop.File("data/applications/viewer.desktop"),
                            "[Desktop Entry]\nName=Viewer\nExec=true %f\n");
    OpenHelpFile(programDir, "/Help.chm", &owner);
    EXPECT_EQ(opened, std::vector<std::string>{programDir + "/Help.chm"});
    EXPECT_FALSE(help->isVisible());
}
