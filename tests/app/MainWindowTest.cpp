#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>

#include "app/MainWindow.h"
#include "app/WindowList.h"
#include "extras/AboutWindow.h"
#include "extras/MorbeckPrompt.h"
#include "extras/MoreSoftwareWindow.h"
#include "extras/ThankWindow.h"
#include "support/ExtrasFixture.h"
#include "support/ModalDriver.h"
#include "ui/Labels.h"
#include "ui/WindowFrame.h"

using app::Forms;

// The auxiliary windows as the running program has them: created with the main window and prepared
// when it is first shown.
class MainWindowExtras : public ExtrasTest {
  protected:
    void SetUp() override {
        ExtrasTest::SetUp();
        QDir(QString::fromStdString(Dir())).mkpath("more");
        WriteFile("more/Excellence.htm", "<html><body><p>Our best</p></body></html>");
        app::CreateForms();
        main = Forms.MainForm;
    }
    void TearDown() override {
        app::DestroyForms();
        ExtrasTest::TearDown();
    }
    void Show() {
        main->show();
        QApplication::processEvents();
    }
    app::TMainForm* main = nullptr;
};

TEST_F(MainWindowExtras, WindowsAreCreatedOnceAndLinkedToEachOther) {
    ASSERT_NE(Forms.AboutForm, nullptr);
    ASSERT_NE(Forms.MoreForm, nullptr);
    ASSERT_NE(Forms.ThankForm, nullptr);
    ASSERT_NE(Forms.FormMorbeck, nullptr);
    EXPECT_EQ(Forms.AboutForm->ThankForm(), Forms.ThankForm);
    EXPECT_TRUE(Forms.FormMorbeck->DownloadAddress().empty()) << "set only when the main window is shown";
}

TEST_F(MainWindowExtras, FirstShowPreparesTheAuxiliaryWindows) {
    WriteFile("thank.txt", "Thanks\n");
    Show();
    extras::TAboutForm& about = *Forms.AboutForm;
    EXPECT_EQ(Child<ui::TLinkLabel>(about, "Company")->text().toStdString(), main->Texts().CompanyName);
    EXPECT_EQ(Child<QLabel>(about, "ProductName2")->text().toStdString(), main->Texts().ProductName);
    EXPECT_EQ(Child<QLabel>(about, "Version")->text().toStdString(), "Version:" QUENZOR_TEST_VERSION)
        << "the version the build gives";
    EXPECT_EQ(Child<QLabel>(about, "VersionSM")->text().toStdString(), main->Texts().EditionText);
    EXPECT_EQ(Child<QLabel>(about, "CopyrightYeah")->text().toStdString(), main->Texts().YearText);
    EXPECT_EQ(Child<QLabel>(about, "Copyright")->text().toStdString(), main->Texts().CompanyFullName);
    EXPECT_EQ(Child<ui::TLinkLabel>(about, "URL")->text().toStdString(), main->Texts().HomePage);
    EXPECT_EQ(Child<ui::TLinkLabel>(about, "EMAIL")->text().toStdString(), main->Texts().SupportMail);
    EXPECT_FALSE(Child<QPushButton>(about, "ThankButton")->isHidden());

    EXPECT_EQ(Child<QTabWidget>(*Forms.MoreForm, "PageControl1")->currentIndex(),
              main->Texts().MorePageIndex);
    EXPECT_TRUE(Child<QTextBrowser>(*Forms.MoreForm, extras::TMoreForm::Pages[0].browser)
                    ->toPlainText()
                    .contains("Our best"));
    EXPECT_TRUE(Child<QTextBrowser>(*Forms.MoreForm, extras::TMoreForm::Pages[1].browser)
                    ->toPlainText()
                    .contains("Vastrel.htm"))
        << "missing page";

    EXPECT_EQ(Forms.FormMorbeck->DownloadAddress(), main->Texts().HomePage);
    // No icons in this program directory: every face stays empty and nothing else breaks.
    EXPECT_TRUE(Child<QLabel>(about, "FaceIco")->pixmap().isNull());
    EXPECT_TRUE(platform::MessageBox::TakeShown().empty());
}

TEST_F(MainWindowExtras, FaceIconsComeFromTheInstalledSet) {
    const QString installed = QString(QUENZOR_PROGRAM_DIR) + "/SystemIco";
    QDir(QString::fromStdString(Dir())).mkpath("SystemIco");
    for (const QString& name : QDir(installed).entryList({"*.ico"})) {
        QFile::copy(installed + "/" + name, QString::fromStdString(Dir()) + "SystemIco/" + name);
    }
    Show();
    for (QLabel* face :
         {Child<QLabel>(*Forms.AboutForm, "FaceIco"), Child<QLabel>(*Forms.MoreForm, "FaceIco"),
          Child<QLabel>(*Forms.ThankForm, "FaceIco"), main->Find<QLabel>("FaceIco")}) {
        EXPECT_FALSE(face->pixmap().isNull()) << face->window()->objectName().toStdString();
    }
}

TEST_F(MainWindowExtras, WithoutThankFileTheAboutWindowHasNoThankButton) {
    Show();
    EXPECT_TRUE(Child<QPushButton>(*Forms.AboutForm, "ThankButton")->isHidden());
}

TEST_F(MainWindowExtras, HelpMenuAndToolbarOpenTheSameTargets) {
    Show();
    main->Find<QAction>("Content1")->trigger();
    main->ToolBarButton("ToolContent")->click();
    main->Find<QAction>("Homepage1")->trigger();
    main->ToolBarButton("ToolHomepage")->click();
    main->Find<QAction>("EMail1")->trigger();
    main->ToolBarButton("ToolEmail")->click();
    main->Find<QAction>("Faq1")->trigger();
    emit main->Find<ui::TLinkLabel>("Label2")->clicked();
    const std::vector<std::string> expected{
        Dir() + "/Help.chm",
        Dir() + "/Help.chm",
        main->Texts().HomePage,
        main->Texts().HomePage,
        "mailto:" + main->Texts().SupportMail,
        "mailto:" + main->Texts().SupportMail,
        "https://www.vastrel.example/Quenzor/faq.htm",
        Child<ui::TLinkLabel>(*Forms.AboutForm, "URL")->text().toStdString()};
    EXPECT_EQ(opened, expected);
}

TEST_F(MainWindowExtras, MoreSoftwareAndAboutOpenModally) {
    Show();
    // Centred on the screen from the first showing on, their frames with the title bar included.
    const auto centred = [](QWidget* window) {
        const QPoint off = window->frameGeometry().center() - window->screen()->availableGeometry().center();
        EXPECT_LE(off.manhattanLength(), 1) << window->objectName().toStdString();
    };
    EXPECT_EQ(RunModal([&] { main->Find<QAction>("More3")->trigger(); }, centred), Forms.MoreForm);
    EXPECT_EQ(RunModal([&] { main->Find<QAction>("About1")->trigger(); }, centred), Forms.AboutForm);
    // The title bar counts: the whole frame, 1, 20, 1 and 5 pixels round the client, is centred.
    EXPECT_EQ(ui::CentredClientRect({594, 377}, {1, 20, 1, 5}, {0, 0, 1280, 1024}),
              QRect(343, 331, 594, 377));
    EXPECT_EQ(RunModal([&] { main->Find<QPushButton>("Button1")->click(); }), Forms.AboutForm)
        << "the hidden about button";
}

TEST_F(MainWindowExtras, FixShowsThePromptWhoseDownloadLeadsHome) {
    Show();
    EXPECT_EQ(RunModal([&] { main->Find<QAction>("Fix1")->trigger(); },
                       [&](QWidget*) { Child<QPushButton>(*Forms.FormMorbeck, "Button1")->click(); }),
              Forms.FormMorbeck);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], main->Texts().HomePage);

    WriteFile("registry.reg",
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vastrel\\Morbeck]\n\"FilePath\"=dword:1\n");
    EXPECT_EQ(RunModal([&] { main->ToolBarButton("ToolButton13")->click(); }), nullptr);
    EXPECT_EQ(platform::MessageBox::TakeShown().size(), 1u);
    EXPECT_EQ(opened.size(), 1u);
}
