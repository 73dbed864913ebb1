#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <chrono>
#include <thread>

#include "platform/Shell.h"
#include "platform/core/Paths.h"
#include "support/FileHelpers.h"

using namespace platform;
using testsupport::WriteBytes;

namespace {
// Stands in for the desktop's handler of file addresses.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

// Names that a command line would split or interpret.
const char* const HostileNames[] = {"two  blanks.avi", "quote\"d 'name'.mp3", "semi;colon.wav",
                                    "$(touch x).avi", "back`tick`.au"};
}  // namespace

TEST(Shell, TargetsAreClassifiedWithoutInterpretingTheirCharacters) {
    testsupport::ScratchDir dir;
    for (const char* name : HostileNames) {
        WriteBytes(dir.File(name), "media");
        EXPECT_EQ(ClassifyShellTarget(dir.File(name)), ShellAction::OpenLocal) << name;
        EXPECT_EQ(ClassifyShellTarget(dir.File(std::string(name) + ".missing")), ShellAction::Nothing)
            << name;
    }
    ::mkdir(dir.File("a folder; $(x)").c_str(), 0777);
    EXPECT_EQ(ClassifyShellTarget(dir.File("a folder; $(x)")), ShellAction::OpenLocal);
    EXPECT_EQ(ClassifyShellTarget(""), ShellAction::Nothing);
    EXPECT_EQ(ClassifyShellTarget("https://www.vastrel.example/faq.html"), ShellAction::OpenUrl);
    EXPECT_EQ(ClassifyShellTarget("MAILTO:support@vastrel.example"), ShellAction::OpenUrl);
    EXPECT_EQ(ClassifyShellTarget("file:///tmp"), ShellAction::OpenUrl);
    EXPECT_EQ(ClassifyShellTarget("ftp://host/x"), ShellAction::Nothing);

    // A document is opened, whatever it holds and whatever its bits: a binary, a script naming its
    // interpreter, a media file carrying the execute bit (as on some mounted file systems).
    EXPECT_EQ(ClassifyShellTarget(QCoreApplication::applicationFilePath().toStdString()),
              ShellAction::OpenLocal);
    WriteBytes(dir.File("run; me.sh"), "#!/bin/sh\n");
    ::chmod(dir.File("run; me.sh").c_str(), 0755);
    EXPECT_EQ(ClassifyShellTarget(dir.File("run; me.sh")), ShellAction::OpenLocal);
    ::chmod(dir.File("semi;colon.wav").c_str(), 0755);
    EXPECT_EQ(ClassifyShellTarget(dir.File("semi;colon.wav")), ShellAction::OpenLocal);
    ::chmod(dir.File("run; me.sh").c_str(), 0644);
    EXPECT_EQ(ClassifyShellTarget(dir.File("run; me.sh")), ShellAction::OpenLocal);
    // A pipe carrying the execute bit is classified without waiting for a writer.
    ASSERT_EQ(::mkfifo(dir.File("pipe.wav").c_str(), 0700), 0);
    EXPECT_EQ(ClassifyShellTarget(dir.File("pipe.wav")), ShellAction::OpenLocal);
}

TEST(Shell, AnExecutableScriptPlayedAsMediaGoesToTheDesktopAndNeverRuns) {
    testsupport::ScratchDir dir;
    const std::string evil = dir.File("evil.avi");
    WriteBytes(evil, "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n");
    ::chmod(evil.c_str(), 0755);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    ShellOpenWithDesktop(evil);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(evil))});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(FileExists(dir.File("ran"))) << "the script was run";
}

TEST(Shell, AProgramWithAHostileNameRunsAloneWithoutArguments) {
    testsupport::ScratchDir dir;
    const std::string cwdMarker = QDir::currentPath().toStdString() + "/x";
    const bool cwdMarkerBefore = FileExists(cwdMarker);
    const std::string program = dir.File("in$(touch x) 'q\";stall`touch x`.sh");
    WriteBytes(program,
               "#!/bin/sh\necho \"$#\" > \"$(dirname \"$0\")/ran.tmp\"\nmv \"$(dirname \"$0\")/ran.tmp\" "
               "\"$(dirname \"$0\")/ran\"\n");
    ::chmod(program.c_str(), 0755);
    StartProgramDetached(program);
    for (int i = 0; i < 500 && !FileExists(dir.File("ran")); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(testsupport::ReadBytes(dir.File("ran")), "0\n") << "started, with no arguments";
    EXPECT_FALSE(FileExists(dir.File("x")));
    EXPECT_EQ(FileExists(cwdMarker), cwdMarkerBefore);
}

TEST(Shell, ShellOpenGoesThroughTheSeamAndNeverReportsAFailure) {
    std::vector<std::string> opened;
    SetShellOpenHandler([&](const std::string& t) { opened.push_back(t); });
    ShellOpen("/no/such/file.avi");
    RunProgram("/no/such/program");
    ShellOpen("mailto:a@b");
    SetShellOpenHandler([](const std::string&) {});
    EXPECT_EQ(opened, (std::vector<std::string>{"/no/such/file.avi", "/no/such/program", "mailto:a@b"}));
    EXPECT_NO_THROW(ShellOpenWithDesktop("/no/such/file.avi"));
    EXPECT_NO_THROW(ShellOpenWithDesktop(""));
}

#include "ShellTest.moc"
