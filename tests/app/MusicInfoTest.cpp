#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "app/MainWindow.h"
#include "app/WindowList.h"
#include "jobs/MusicInfoDialog.h"
#include "platform/ProgramDir.h"
#include "settings/PreferencesDialog.h"
#include "support/ModalDriver.h"

using app::Forms;
using jobs::TfrmInfo;

namespace {
class MusicInfoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetProgramDirectory(dir.path().toStdString() + "/");
        settings::Settings = settings::TSettings{};
        settings::Settings.MaxConverFile = 200;
        settings::Settings.Title = "T";
        settings::Settings.Auther = "A";
        settings::Settings.Copyright = "C";
        settings::Settings.Keywords = "K";
        settings::Settings.Description = "D";
        app::CreateForms();
        form = Forms.MainForm;
        form->Jobs().AddChosenFiles({"/m/1.mp3", "/m/2.mp3", "/m/3.mp3"}, settings::Settings);
    }
    void TearDown() override { app::DestroyForms(); }
    static QLineEdit* Edit(const TfrmInfo& d, const char* name) { return Child<QLineEdit>(d, name); }
    static void Press(const QDialog& d, const char* button) { Child<QPushButton>(d, button)->click(); }
    void Select(std::initializer_list<int> rows) {
        form->Find<QTreeWidget>("LV")->clearSelection();
        for (int r : rows)
            form->Find<QTreeWidget>("LV")->topLevelItem(r)->setSelected(true);
    }
    // Triggers `action` and acts inside the dialog it opens; returns whether one opened.
    bool Open(QAction* action, std::function<void(TfrmInfo&)> step) {
        auto opened = std::make_shared<bool>(false);
        WhenModalOpens([&](QWidget*) { step(*Forms.frmInfo); }, opened);
        action->trigger();
        QApplication::processEvents();
        return *opened;
    }

    QTemporaryDir dir;
    app::TMainForm* form = nullptr;
};
}  // namespace

TEST_F(MusicInfoTest, OpensOnlyWithExactlyOneSelectedRow) {
    auto cancel = [](TfrmInfo& d) { Press(d, "Button2"); };
    EXPECT_FALSE(form->Find<QAction>("MusicInfo1")->isEnabled());
    EXPECT_FALSE(Open(form->Find<QAction>("MusicInfo1"), cancel));
    Select({0, 1});
    EXPECT_FALSE(form->Find<QAction>("MusicInfo1")->isEnabled());
    EXPECT_FALSE(Open(form->Find<QAction>("MusicInfo1"), cancel));
    Select({1});
    EXPECT_TRUE(form->Find<QAction>("MusicInfo1")->isEnabled());
    EXPECT_TRUE(Open(form->Find<QAction>("MusicInfo1"), cancel));
    form->PopupMenu1Popup();
    EXPECT_TRUE(Open(form->Find<QAction>("MusicInfo2"), cancel));
}

TEST_F(MusicInfoTest, EditsOneJobAndNothingElse) {
    form->Jobs().Jobs()[1].Title = "Caf\xe9";  // Latin-1, shown with a replacement character
    form->Jobs().Jobs()[1].Keywords = "kw";
    form->Jobs().Jobs()[1].Description = "about it";
    Select({1});
    EXPECT_TRUE(Open(form->Find<QAction>("MusicInfo1"), [](TfrmInfo& d) {
        EXPECT_EQ(d.windowTitle(), "Music Information");
        EXPECT_EQ(Edit(d, "Edit1")->text(), QString::fromUtf8("Caf\xef\xbf\xbd"));
        EXPECT_EQ(Edit(d, "Edit2")->text(), "A");
        EXPECT_EQ(Edit(d, "Edit3")->text(), "C");
        EXPECT_EQ(Edit(d, "Edit5")->text(), "about it");  // Edit5 holds the description here
        EXPECT_EQ(Edit(d, "Edit4")->text(), "kw");
        Edit(d, "Edit2")->setText(" New Author ");
        Edit(d, "Edit3")->setText("");
        Edit(d, "Edit5")->setText("Ünïcödé");
        Press(d, "Button1");
    }));
    const jobs::tListType& job = form->Jobs().Jobs()[1];
    EXPECT_EQ(job.Title, "Caf\xe9") << "a text left as shown keeps its bytes";
    EXPECT_EQ(job.Author, " New Author ");
    EXPECT_EQ(job.Copyright, "");
    EXPECT_EQ(job.Description, "Ünïcödé");
    EXPECT_EQ(job.Keywords, "kw");
    EXPECT_EQ(form->Jobs().Jobs()[0].Title, "T");
    EXPECT_EQ(form->Jobs().Jobs()[2].Title, "T");
    EXPECT_EQ(settings::Settings.Title, "T");
}

TEST_F(MusicInfoTest, CancelAndEscLeaveTheJobAlone) {
    Select({0});
    const jobs::tListType before = form->Jobs().Jobs()[0];
    Open(form->Find<QAction>("MusicInfo1"), [](TfrmInfo& d) {
        Edit(d, "Edit1")->setText("x");
        Press(d, "Button2");
    });
    Open(form->Find<QAction>("MusicInfo1"), [](TfrmInfo& d) {
        Edit(d, "Edit2")->setText("y");
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(form->Jobs().Jobs()[0], before);
}

TEST_F(MusicInfoTest, JobsKeepTheDefaultsTheyWereAddedWith) {
    WhenModalOpens([](QWidget*) {
        Child<QTabWidget>(*Forms.frmOption, "PageControl1")->setCurrentIndex(2);
        Child<QLineEdit>(*Forms.frmOption, "Edit1")->setText("Changed");
        Press(*Forms.frmOption, "Button1");
    });
    form->Find<QAction>("Prefer1")->trigger();
    EXPECT_EQ(settings::Settings.Title, "Changed");
    Select({2});
    Open(form->Find<QAction>("MusicInfo1"), [](TfrmInfo& d) {
        EXPECT_EQ(Edit(d, "Edit1")->text(), "T");
        Press(d, "Button2");
    });
    // During a run the dialog still opens.
    form->EnterRunningState();
    EXPECT_TRUE(Open(form->Find<QAction>("MusicInfo1"), [](TfrmInfo& d) { Press(d, "Button2"); }));
}
