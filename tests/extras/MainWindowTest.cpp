#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>

#include "app/Forms.h"
#include "app/LinkLabel.h"
#include "app/Unit1.h"
#include "extras/ExtrasFixture.h"
#include "extras/UnitAbout.h"
#include "extras/UnitMorbeck.h"
#include "extras/UnitMore.h"
#include "extras/UnitThank.h"
#include "extras/Widgets.h"

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
    EXPECT_EQ(Forms.AboutForm->ThankForm, Forms.ThankForm);
    EXPECT_TRUE(Forms.FormMorbeck->DownloadAddress.empty()) << "set only when the main window is shown";
}

TEST_F(MainWindowExtras, FirstShowPreparesTheAuxiliaryWindows) {
    WriteFile("thank.txt", "Thanks\n");
    Show();
    extras::TAboutForm& about = *Forms.AboutForm;
    EXPECT_EQ(about.Company->text().toStdString(), main->CompanyName);
    EXPECT_EQ(about.ProductName2->text().toStdString(), main->ProductName);
    EXPECT_EQ(about.Version->text().toStdString(), main->VersionText);
    EXPECT_EQ(about.VersionSM->text().toStdString(), main->EditionText);
    EXPECT_EQ(about.CopyrightYeah->text().toStdString(), main->YearText);
    EXPECT_EQ(about.Copyright->text().toStdString(), main->CompanyFullName);
    EXPECT_EQ(about.URL->text().toStdString(), main->HomePage);
    EXPECT_EQ(about.EMAIL->text().toStdString(), main->SupportMail);
    EXPECT_FALSE(about.ThankButton->isHidden());

    EXPECT_EQ(Forms.MoreForm->PageControl1->currentIndex(), main->MorePageIndex);
    EXPECT_TRUE(Forms.MoreForm->Browsers[0]->toPlainText().contains("Our best"));
    EXPECT_TRUE(Forms.MoreForm->Browsers[1]->toPlainText().contains("Vastrel.htm")) << "missing page";

    EXPECT_EQ(Forms.FormMorbeck->DownloadAddress, main->HomePage);
    // No icons in this program directory: every face stays empty and nothing else breaks.
    EXPECT_TRUE(about.FaceIco->pixmap().isNull());
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
         {Forms.AboutForm->FaceIco, Forms.MoreForm->FaceIco, Forms.ThankForm->FaceIco, main->FaceIco}) {
        EXPECT_FALSE(face->pixmap().isNull()) << face->window()->objectName().toStdString();
    }
}

TEST_F(MainWindowExtras, WithoutThankFileTheAboutWindowHasNoThankButton) {
    Show();
    EXPECT_TRUE(Forms.AboutForm->ThankButton->isHidden());
}

TEST_F(MainWindowExtras, HelpMenuAndToolbarOpenTheSameTargets) {
    Show();
    main->Content1->trigger();
    main->ToolBarButton("ToolContent")->click();
    main->Homepage1->trigger();
    main->ToolBarButton("ToolHomepage")->click();
    main->EMail1->trigger();
    main->ToolBarButton("ToolEmail")->click();
    main->Faq1->trigger();
    emit main->Label2->clicked();
    const std::vector<std::string> expected{Dir() + "/Help.chm",
                                            Dir() + "/Help.chm",
                                            main->HomePage,
                                            main->HomePage,
                                            "mailto:" + main->SupportMail,
                                            "mailto:" + main->SupportMail,
                                            "https://www.vastrel.example/Quenzor/faq.htm",
                                            Forms.AboutForm->URL->text().toStdString()};
    EXPECT_EQ(opened, expected);
}

TEST_F(MainWindowExtras, MoreSoftwareAndAboutOpenModally) {
    Show();
    EXPECT_EQ(RunModal([&] { main->More3->trigger(); }), Forms.MoreForm);
    EXPECT_EQ(RunModal([&] { main->About1->trigger(); }), Forms.AboutForm);
    EXPECT_EQ(RunModal([&] { main->Button1->click(); }), Forms.AboutForm) << "the hidden about button";
}

TEST_F(MainWindowExtras, FixShowsThePromptWhoseDownloadLeadsHome) {
    Show();
    EXPECT_EQ(
        RunModal([&] { main->Fix1->trigger(); }, [&](QWidget*) { Forms.FormMorbeck->Button1->click(); }),
        Forms.FormMorbeck);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], main->HomePage);

    WriteFile("registry.reg",
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vastrel\\Morbeck]\n\"FilePath\"=dword:1\n");
    EXPECT_EQ(RunModal([&] { main->ToolBarButton("ToolButton13")->click(); }), nullptr);
    EXPECT_EQ(platform::MessageBox::TakeShown().size(), 1u);
    EXPECT_EQ(opened.size(), 1u);
}
