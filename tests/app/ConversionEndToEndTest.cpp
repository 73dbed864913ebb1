#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QTemporaryDir>
#include <QTimer>

#include "app/MainWindow.h"
#include "conversion/RunDriver.h"
#include "platform/Completion.h"
#include "platform/Dialogs.h"
#include "platform/ProgramDir.h"
#include "settings/Settings.h"
#include "support/FileHelpers.h"
#include "support/MediaFixtures.h"

namespace {
using Calls = std::vector<std::string>;

// The real main window with the built-in encoder: files are added through the (scripted) open-file
// dialog and converted by a run whose stepper is the real timer, shortened so the test does not sit
// through a second per job.
class ConversionEndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        platform::SetProgramDirectory(Path(""));
        settings::Settings = settings::TSettings{};
        platform::SetSoundHandler([this](const std::string& path) { completion.push_back("sound " + path); });
        platform::SetPowerOffHandler([this] { completion.push_back("power off"); });
        form = std::make_unique<app::TMainForm>(settings::Settings, app::Forms);
        form->show();
        QApplication::processEvents();
        form->Run().Timer1().setInterval(20);
        platform::MessageBox::TakeShown();
    }
    void TearDown() override {
        form.reset();
        platform::SetSoundHandler([](const std::string&) {});
        platform::SetPowerOffHandler([] {});
        platform::MessageBox::TakeShown();
    }

    std::string Path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
    // A fresh copy of a shared clip in this test's folder, so the destinations land here too.
    std::string Source(const testsupport::ClipRecipe& recipe, const std::string& name) {
        const std::string made = testsupport::MakeClip(recipe);
        const std::string path = Path(name);
        EXPECT_TRUE(QFile::copy(QString::fromStdString(made), QString::fromStdString(path))) << name;
        return path;
    }
    void AddFiles(const std::vector<std::string>& files) {
        platform::FileDialogs::SetNextOpenFiles(files);
        form->Find<QAction>("Addfiles1")->trigger();
        ASSERT_EQ(form->Jobs().Jobs().size(), files.size());
    }
    // Starts the run and lets the event loop turn until it has ended.
    void RunToEnd(int timeoutMs = 120000) {
        form->Find<QAction>("Converter1")->trigger();
        QDeadlineTimer deadline(timeoutMs);
        while (form->Run().Running() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(form->Run().Running()) << "the run did not end in time";
        QApplication::processEvents();
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> out;
        for (const QString& n :
             QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            out.push_back(n.toStdString());
        return out;
    }
    static qint64 Size(const std::string& path) { return QFileInfo(QString::fromStdString(path)).size(); }

    QTemporaryDir dir;
    std::unique_ptr<app::TMainForm> form;
    Calls completion;
};

testsupport::ClipRecipe Clip(const std::string& name, bool video = true) {
    testsupport::ClipRecipe recipe;
    recipe.name = name;
    recipe.seconds = 1.5;
    recipe.video = video;
    return recipe;
}

TEST_F(ConversionEndToEndTest, ThreeRealSourcesBecomeDecodableRealMediaWithTheirClipInformation) {
    const std::vector<std::string> sources = {Source(Clip("e2e.avi"), "first.avi"),
                                              Source(Clip("e2e.mov"), "second.mov"),
                                              Source(Clip("e2e.wav", false), "third.wav")};
    AddFiles(sources);
    const char* names[] = {"One", "Two", "Three"};
    for (size_t i = 0; i < 3; ++i) {
        jobs::tListType& job = form->Jobs().Jobs()[i];
        EXPECT_EQ(job.DestFile, sources[i].substr(0, sources[i].rfind('.')) + ".rm");
        job.Title = std::string("Title ") + names[i];
        job.Author = std::string("Author ") + names[i];
        job.Copyright = std::string("(c) ") + names[i];
        job.Description = std::string("About ") + names[i];
        job.Keywords = std::string("kw") + names[i];
    }
    RunToEnd();

    EXPECT_TRUE(platform::MessageBox::TakeShown().empty());
    for (size_t i = 0; i < 3; ++i) {
        const jobs::tListType& job = form->Jobs().Jobs()[i];
        SCOPED_TRACE(job.DestFile);
        ASSERT_TRUE(QFile::exists(QString::fromStdString(job.DestFile)));
        EXPECT_EQ(testsupport::DecodeErrors(job.DestFile), "");
        testsupport::ProbeInfo probe = testsupport::Probe(job.DestFile);
        ASSERT_TRUE(probe.ok) << probe.error;
        EXPECT_EQ(probe.formatName, "rm");
        EXPECT_EQ(probe.tags["title"], job.Title);
        EXPECT_EQ(probe.tags["author"], job.Author);
        EXPECT_EQ(probe.tags["copyright"], job.Copyright);
        EXPECT_EQ(probe.tags["comment"], job.Description);
        EXPECT_NE(testsupport::ReadBytes(job.DestFile).find(job.Keywords), std::string::npos);
    }
    // Nothing else is left behind: no temporary files, and neither sound nor power-off without the toggles.
    EXPECT_EQ(FolderEntries(),
              (Calls{"first.avi", "first.rm", "second.mov", "second.rm", "third.rm", "third.wav"}));
    EXPECT_TRUE(completion.empty());
    EXPECT_TRUE(form->Find<QAction>("Converter1")->isEnabled());
    EXPECT_TRUE(form->Find<QFrame>("Panel2")->isHidden());
}

// Each fault is reported once by the encoder's own sentence and ends the run; no file is lost.
TEST_F(ConversionEndToEndTest, ASourceThatVanishedEndsTheRunAfterTheJobsBeforeIt) {
    const std::string good = Source(Clip("e2e.avi"), "good.avi");
    const std::string gone = Source(Clip("e2e.avi"), "gone.avi");
    const std::string later = Source(Clip("e2e.avi"), "later.avi");
    AddFiles({good, gone, later});
    ASSERT_TRUE(QFile::remove(QString::fromStdString(gone)));
    form->Find<QAction>("Sound1")->setChecked(true);
    RunToEnd();

    std::vector<platform::MessageRequest> boxes = platform::MessageBox::TakeShown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_NE(boxes[0].text.find("gone.avi"), std::string::npos) << boxes[0].text;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(form->Jobs().Jobs()[0].DestFile)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(form->Jobs().Jobs()[1].DestFile)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(form->Jobs().Jobs()[2].DestFile)));
    EXPECT_EQ(FolderEntries(), (Calls{"good.avi", "good.rm", "later.avi"}));
    EXPECT_TRUE(completion.empty());
    EXPECT_TRUE(form->Find<QAction>("Converter1")->isEnabled());
}

TEST_F(ConversionEndToEndTest, ADestinationThatIsAFolderIsReportedAndTheFolderKept) {
    const std::string source = Source(Clip("e2e.avi"), "clip.avi");
    AddFiles({source});
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(form->Jobs().Jobs()[0].DestFile)));
    QFile keep(QString::fromStdString(form->Jobs().Jobs()[0].DestFile + "/keep.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("mine");
    keep.close();
    const qint64 size = Size(source);
    RunToEnd();

    std::vector<platform::MessageRequest> boxes = platform::MessageBox::TakeShown();
    ASSERT_EQ(boxes.size(), 1u) << "an error, and no overwrite question for a folder";
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(testsupport::ReadBytes(form->Jobs().Jobs()[0].DestFile + "/keep.txt"), "mine");
    EXPECT_EQ(Size(source), size);
    EXPECT_EQ(FolderEntries(), (Calls{"clip.avi", "clip.rm"}));
}

TEST_F(ConversionEndToEndTest, AnUnwritableDestinationFolderIsReportedAndNothingWritten) {
    const std::string source = Source(Clip("e2e.avi"), "clip.avi");
    AddFiles({source});
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    const std::string locked = Path("locked");
    // Permissions do not hold back the superuser; a folder on a read-only file system does.
    const bool root = geteuid() == 0;
    form->Jobs().Jobs()[0].DestFile = root ? "/proc/self/clip.rm" : locked + "/clip.rm";
    if (!root) {
        ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(locked),
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    RunToEnd();
    QFile::setPermissions(QString::fromStdString(locked),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    std::vector<platform::MessageRequest> boxes = platform::MessageBox::TakeShown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(form->Jobs().Jobs()[0].DestFile)));
    EXPECT_TRUE(QDir(QString::fromStdString(locked)).isEmpty());
    EXPECT_EQ(FolderEntries(), (Calls{"clip.avi", "locked"}));
}

}  // namespace
