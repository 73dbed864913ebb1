#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <chrono>
#include <thread>

#include "platform/core/Paths.h"
#include "platform/Shell.h"
#include "support/FileHelpers.h"

using namespace platform;
using testsupport::WriteBytes;

namespace {
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

    // Programs: a binary, or a script naming its interpreter. A media file that merely carries the execute
    // bit (as on some mounted file systems) is opened, not run.
    EXPECT_EQ(ClassifyShellTarget(QCoreApplication::applicationFilePath().toStdString()),
              ShellAction::StartProgram);
    WriteBytes(dir.File("run; me.sh"), "#!/bin/sh\n");
    ::chmod(dir.File("run; me.sh").c_str(), 0755);
    EXPECT_EQ(ClassifyShellTarget(dir.File("run; me.sh")), ShellAction::StartProgram);
    ::chmod(dir.File("semi;colon.wav").c_str(), 0755);
    EXPECT_EQ(ClassifyShellTarget(dir.File("semi;colon.wav")), ShellAction::OpenLocal);
    ::chmod(dir.File("run; me.sh").c_str(), 0644);
    EXPECT_EQ(ClassifyShellTarget(dir.File("run; me.sh")), ShellAction::OpenLocal);
    // A pipe carrying the execute bit is looked at without waiting for a writer, and is no program.
    ASSERT_EQ(::mkfifo(dir.File("pipe.wav").c_str(), 0700), 0);
    EXPECT_EQ(ClassifyShellTarget(dir.File("pipe.wav")), ShellAction::OpenLocal);
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
    ASSERT_EQ(ClassifyShellTarget(program), ShellAction::StartProgram);
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
    ShellOpen("mailto:a@b");
    SetShellOpenHandler([](const std::string&) {});
    EXPECT_EQ(opened, (std::vector<std::string>{"/no/such/file.avi", "mailto:a@b"}));
    EXPECT_NO_THROW(ShellOpenWithDesktop("/no/such/file.avi"));
    EXPECT_NO_THROW(ShellOpenWithDesktop(""));
}
