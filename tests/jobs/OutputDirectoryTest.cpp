#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "jobs/OutputDirectoryDialog.h"
#include "platform/Dialogs.h"
#include "platform/core/Paths.h"
#include "support/ModalDriver.h"

using namespace jobs;
using platform::FileDialogs;
using platform::MessageBox;

namespace {
class OutputDirectoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        JobListView::SetUpView(view);
        s.MaxConverFile = 100;
        MessageBox::TakeShown();
        out = dir.path().toStdString();
    }
    void Add(const std::vector<std::string>& files) { jobs.AddChosenFiles(files, s); }
    void Select(std::initializer_list<int> rows) {
        view.clearSelection();
        for (int r : rows)
            view.topLevelItem(r)->setSelected(true);
    }
    // Opens the dialog and runs `step` inside it; returns whether the dialog opened.
    bool Open(std::function<void(TOutputForm&)> step) {
        auto opened = std::make_shared<bool>(false);
        WhenModalOpens([&](QWidget*) { step(form); }, opened);
        SetOutputDirectory(jobs, form);
        QApplication::processEvents();
        return *opened;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> t;
        for (const auto& r : MessageBox::TakeShown())
            t.push_back(r.text);
        return t;
    }

    QTemporaryDir dir;
    std::string out;
    TJobList list;
    QTreeWidget view;
    JobListView jobs{list, view};
    TOutputForm form;
    settings::TSettings s;
};
}  // namespace

TEST(OutputPaths, TrailingDelimiterAndDestinationNames) {
    EXPECT_EQ(platform::RemoveTrailingDelimiter("/out/"), "/out");
    EXPECT_EQ(platform::RemoveTrailingDelimiter("/out"), "/out");
    EXPECT_EQ(platform::RemoveTrailingDelimiter(""), "");
    EXPECT_EQ(platform::RemoveTrailingDelimiter("/"), "");
    EXPECT_EQ(DestinationIn("/Out", "/in/clip.mpg"), "/Out/clip.rm");
    EXPECT_EQ(DestinationIn("/Out", "/in/clip"), "/Out/clip.rm");
    EXPECT_EQ(DestinationIn("/Out", "/in/a.b.mpg"), "/Out/a.b.rm");
    EXPECT_EQ(DestinationIn("/Out", "/v.1/clip"), "/Out/clip.rm");
    EXPECT_EQ(DestinationIn("", "/in/clip.mpg"), "/clip.rm");
}

TEST_F(OutputDirectoryTest, DialogHasItsCaptionAndControls) {
    EXPECT_EQ(form.windowTitle(), "Output File Dialog");
    EXPECT_EQ(form.size(), QSize(377, 171));
    EXPECT_EQ(Child<QGroupBox>(form, "GroupBox1")->title(), "Destination file directory");
    EXPECT_EQ(Child<QRadioButton>(form, "RadioButton1")->text(), "&Same as source file directory ");
    EXPECT_EQ(Child<QRadioButton>(form, "RadioButton2")->text(), "&Other directory");
    EXPECT_EQ(Child<QPushButton>(form, "DirectoryButton")->text(), "&Directory");
    EXPECT_TRUE(Child<QPushButton>(form, "Button2")->isDefault());
}

TEST_F(OutputDirectoryTest, NoSelectionAsksForOneAndOpensNothing) {
    Add({"/in/a.avi"});
    view.clearSelection();
    EXPECT_FALSE(Open([](TOutputForm& f) { Child<QPushButton>(f, "Button3")->click(); }));
    EXPECT_EQ(Texts(), std::vector<std::string>{"You must choose a item."});
}

TEST_F(OutputDirectoryTest, PreselectsFromTheFirstSelectedJobComparingCaseExactly) {
    Add({"/in/a.avi", "/Media/b.avi", "/in/c.avi"});
    list[1].DestFile = "/media/b.rm";  // differs from the source folder only in letter case
    Select({0, 2});
    Open([](TOutputForm& f) {
        EXPECT_TRUE(Child<QRadioButton>(f, "RadioButton1")->isChecked());
        EXPECT_FALSE(Child<QLineEdit>(f, "DirectoryText")->isEnabled());
        EXPECT_FALSE(Child<QPushButton>(f, "DirectoryButton")->isEnabled());
        EXPECT_EQ(Child<QLineEdit>(f, "DirectoryText")->text(), "/in");
        Child<QPushButton>(f, "Button3")->click();
    });
    Select({1, 2});
    Open([](TOutputForm& f) {
        EXPECT_TRUE(Child<QRadioButton>(f, "RadioButton2")->isChecked());
        EXPECT_TRUE(Child<QLineEdit>(f, "DirectoryText")->isEnabled());
        EXPECT_EQ(Child<QLineEdit>(f, "DirectoryText")->text(), "/media");
        Child<QPushButton>(f, "Button3")->click();
    });
    EXPECT_EQ(list[1].DestFile, "/media/b.rm");  // cancelled: nothing changed
}

TEST_F(OutputDirectoryTest, OtherDirectoryRepointsOnlySelectedJobs) {
    Add({"/in/clip.mpg", "/in/keep.mpg", "/in/a.b.mpg", "/in/noext"});
    Select({0, 2, 3});
    Open([&](TOutputForm& f) {
        Child<QRadioButton>(f, "RadioButton2")->click();
        Child<QLineEdit>(f, "DirectoryText")->setText(QString::fromStdString(out + "/"));
        Child<QPushButton>(f, "Button2")->click();
    });
    EXPECT_EQ(form.Directory(), out);
    EXPECT_EQ(list[0].DestFile, out + "/clip.rm");
    EXPECT_EQ(list[1].DestFile, "/in/keep.rm");
    EXPECT_EQ(list[2].DestFile, out + "/a.b.rm");
    EXPECT_EQ(list[3].DestFile, out + "/noext.rm");
    EXPECT_EQ(view.topLevelItem(0)->text(2).toStdString(), out + "/clip.rm");
    EXPECT_EQ(view.topLevelItem(1)->text(2).toStdString(), "/in/keep.rm");

    // Back to the sources: selected jobs only; Directory keeps what the opening gave it.
    Select({0});
    Open([](TOutputForm& f) {
        EXPECT_TRUE(Child<QRadioButton>(f, "RadioButton2")->isChecked());
        Child<QRadioButton>(f, "RadioButton1")->click();
        Child<QPushButton>(f, "Button2")->click();
    });
    EXPECT_EQ(list[0].DestFile, "/in/clip.rm");
    EXPECT_EQ(list[2].DestFile, out + "/a.b.rm");
    EXPECT_EQ(form.Directory(), out);
    // Files added later start beside their source whatever was chosen.
    Add({"/in/new.avi"});
    EXPECT_EQ(list[4].DestFile, "/in/new.rm");
}

TEST_F(OutputDirectoryTest, RootFolderGivesDestinationsAtTheRoot) {
    Add({"/in/clip.mpg"});
    Select({0});
    Open([](TOutputForm& f) {
        Child<QRadioButton>(f, "RadioButton2")->click();
        Child<QLineEdit>(f, "DirectoryText")->setText("/");
        Child<QPushButton>(f, "Button2")->click();
    });
    EXPECT_EQ(form.Directory(), "");
    EXPECT_EQ(list[0].DestFile, "/clip.rm");
}

TEST_F(OutputDirectoryTest, ADestinationAtTheRootReopensAsTheRootAndIsAcceptedAsItIs) {
    Add({"/in/clip.mpg", "/clip.mpg"});
    list[0].DestFile = "/clip.rm";
    Select({0});
    Open([](TOutputForm& f) {
        EXPECT_TRUE(Child<QRadioButton>(f, "RadioButton2")->isChecked());
        EXPECT_EQ(Child<QLineEdit>(f, "DirectoryText")->text().toStdString(), "/");
        Child<QPushButton>(f, "Button2")->click();
        if (f.isVisible()) {
            ADD_FAILURE() << "OK must accept the root the dialog itself shows";
            f.reject();
        }
    });
    EXPECT_EQ(Texts(), std::vector<std::string>{});
    EXPECT_EQ(list[0].DestFile, "/clip.rm");
    // A source at the root: the same-as-source choice, showing the root.
    Select({1});
    Open([](TOutputForm& f) {
        EXPECT_TRUE(Child<QRadioButton>(f, "RadioButton1")->isChecked());
        EXPECT_EQ(Child<QLineEdit>(f, "DirectoryText")->text().toStdString(), "/");
        Child<QPushButton>(f, "Button3")->click();
    });
}

TEST_F(OutputDirectoryTest, InvalidDirectoryKeepsTheDialogOpenForCorrection) {
    Add({"/in/clip.mpg"});
    Select({0});
    Open([&](TOutputForm& f) {
        Child<QRadioButton>(f, "RadioButton2")->click();
        for (const char* bad : {"", "/no/such/folder", "/etc/hostname"}) {
            Child<QLineEdit>(f, "DirectoryText")->setText(QString::fromLatin1(bad));
            Child<QPushButton>(f, "Button2")->click();
            EXPECT_TRUE(f.isVisible()) << bad;
            EXPECT_EQ(Texts(), std::vector<std::string>{"Invalidation directory."}) << bad;
        }
        EXPECT_EQ(f.Directory(), "/in");
        Child<QLineEdit>(f, "DirectoryText")->setText(QString::fromStdString(out));
        Child<QPushButton>(f, "Button2")->click();
    });
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(list[0].DestFile, out + "/clip.rm");
}

TEST_F(OutputDirectoryTest, RadioButtonsPutTheDirectoryBackIntoTheEdit) {
    Add({"/in/clip.mpg"});
    Select({0});
    Open([](TOutputForm& f) {
        Child<QRadioButton>(f, "RadioButton2")->click();
        Child<QLineEdit>(f, "DirectoryText")->setText("/typed");
        Child<QRadioButton>(f, "RadioButton2")->click();
        EXPECT_EQ(Child<QLineEdit>(f, "DirectoryText")->text(), "/in");
        Child<QLineEdit>(f, "DirectoryText")->setText("/typed");
        Child<QRadioButton>(f, "RadioButton1")->click();
        EXPECT_EQ(Child<QLineEdit>(f, "DirectoryText")->text(), "/in");
        Child<QPushButton>(f, "Button3")->click();
    });
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST_F(OutputDirectoryTest, FolderWithBlanksQuotesAndNonAsciiLetters) {
    const std::string odd = out + "/My \"Out\" Ünïcödé's";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(odd)));
    Add({"/in/Clip 1.avi"});
    Select({0});
    Open([&](TOutputForm& f) {
        Child<QRadioButton>(f, "RadioButton2")->click();
        FileDialogs::SetNextDirectory(odd);
        Child<QPushButton>(f, "DirectoryButton")->click();
        EXPECT_EQ(Child<QLineEdit>(f, "DirectoryText")->text().toStdString(), odd);
        Child<QPushButton>(f, "Button2")->click();
    });
    EXPECT_EQ(FileDialogs::LastDirectoryRequest().first, "Select the Directory");
    EXPECT_EQ(FileDialogs::LastDirectoryRequest().second, "");  // "/in" does not exist here
    EXPECT_EQ(list[0].DestFile, odd + "/Clip 1.rm");
}

TEST_F(OutputDirectoryTest, BrowseStartsAtAnExistingFolderAndCancelKeepsTheText) {
    Add({"/in/clip.mpg"});
    list[0].DestFile = out + "/clip.rm";
    Select({0});
    Open([&](TOutputForm& f) {
        Child<QPushButton>(f, "DirectoryButton")->click();  // nothing queued: cancelled
        EXPECT_EQ(Child<QLineEdit>(f, "DirectoryText")->text().toStdString(), out);
        EXPECT_EQ(FileDialogs::LastDirectoryRequest().second, out);
        Child<QLineEdit>(f, "DirectoryText")->setText("/no/such/folder");
        Child<QPushButton>(f, "DirectoryButton")->click();
        EXPECT_EQ(FileDialogs::LastDirectoryRequest().second, "");
        EXPECT_EQ(Child<QLineEdit>(f, "DirectoryText")->text(), "/no/such/folder");
        Child<QPushButton>(f, "Button3")->click();
    });
}

TEST_F(OutputDirectoryTest, RelativeFolderIsStoredAsTheFolderTheUserSaw) {
    Add({"/in/clip.mpg"});
    Select({0});
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QDir().mkdir("sub");
    Open([](TOutputForm& f) {
        Child<QRadioButton>(f, "RadioButton2")->click();
        Child<QLineEdit>(f, "DirectoryText")->setText("sub");
        Child<QPushButton>(f, "Button2")->click();
    });
    QDir::setCurrent(saved);
    EXPECT_EQ(list[0].DestFile, out + "/sub/clip.rm");
}
