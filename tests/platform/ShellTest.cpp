#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QUrl>
#include <chrono>
#include <thread>

#include "platform/DesktopApps.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/core/Paths.h"
#include "support/FileHelpers.h"

using namespace platform;
using platform::MessageBox;
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

namespace {
// A desktop of its own for one test: the XDG folders point into a scratch folder, restored afterwards.
class ScratchDesktop {
  public:
    ScratchDesktop() {
        for (const char* name : Variables) {
            saved_.emplace_back(name, qgetenv(name));
            qputenv(name, QByteArray::fromStdString(dir_.File(std::string(name) + "/")));
        }
        for (const char* name : Variables)
            ::mkdir(dir_.File(name).c_str(), 0777);
        ::mkdir(dir_.File("XDG_DATA_HOME/applications").c_str(), 0777);
        saved_.emplace_back("XDG_CURRENT_DESKTOP", qgetenv("XDG_CURRENT_DESKTOP"));
        qputenv("XDG_CURRENT_DESKTOP", "");
        // The system's type database stays, its applications do not.
        ::symlink("/usr/share/mime", dir_.File("XDG_DATA_DIRS/mime").c_str());
    }
    ~ScratchDesktop() {
        for (const auto& [name, value] : saved_)
            qputenv(name, value);
    }
    // A desktop entry whose program writes its arguments, one a line, to `record`.
    void AddRecorder(const std::string& id, const std::string& record) {
        const std::string program = dir_.File(id + ".sh");
        WriteBytes(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + record + ".tmp\"\nmv \"" + record +
                                ".tmp\" \"" + record + "\"\n");
        ::chmod(program.c_str(), 0755);
        WriteBytes(dir_.File("XDG_DATA_HOME/applications/" + id),
                   "[Desktop Entry]\nType=Application\nName=Recorder\nExec=\"" + program + "\" --play %U\n");
    }
    void Write(const std::string& relative, const std::string& text) {
        WriteBytes(dir_.File(relative), text);
    }
    std::string File(const std::string& name) const { return dir_.File(name); }

  private:
    static constexpr const char* Variables[] = {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME",
                                                "XDG_CONFIG_DIRS"};
    testsupport::ScratchDir dir_;
    std::vector<std::pair<const char*, QByteArray>> saved_;
};
}  // namespace

TEST(Shell, ADocumentGoesToTheDesktopsApplicationNeverToThisProgramAndNeverRuns) {
    ScratchDesktop desktop;
    MessageBox::SetScripted(true);
    MessageBox::TakeShown();
    testsupport::ScratchDir dir;
    const std::string evil = dir.File("evil \"$(x)\".avi");
    WriteBytes(evil, "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n");
    ::chmod(evil.c_str(), 0755);

    // Nothing but this program claims the type: the user is told what is missing instead of a second
    // window of ours or silence.
    desktop.Write("XDG_DATA_HOME/applications/example.vastrel.Quenzor.desktop",
                  "[Desktop Entry]\nType=Application\nName=Quenzor\nExec=quenzor %F\n");
    desktop.Write("XDG_DATA_HOME/applications/other-quenzor.desktop",
                  "[Desktop Entry]\nType=Application\nName=Copy\nExec=/opt/q/quenzor %F\n");
    desktop.Write("XDG_DATA_HOME/applications/mimeinfo.cache",
                  "[MIME Cache]\nvideo/x-msvideo=example.vastrel.Quenzor.desktop;other-quenzor.desktop;\n");
    ShellOpenWithDesktop(evil);
    ShellOpenWithDesktop("mailto:support@vastrel.example");
    auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].text.find("No media player"), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[0].text.find("video/x-msvideo"), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[1].text.find("e-mail program"), std::string::npos) << shown[1].text;

    // A player listed after this program gets the file as one argument, whatever its characters; the
    // user's removal of an association and a hidden entry are honoured.
    desktop.AddRecorder("player.desktop", dir.File("played"));
    desktop.Write("XDG_DATA_HOME/applications/hidden.desktop",
                  "[Desktop Entry]\nName=Gone\nExec=true %f\nHidden=true\n");
    desktop.Write("XDG_DATA_HOME/applications/removed.desktop",
                  "[Desktop Entry]\nName=Removed\nExec=true %f\n");
    desktop.Write("XDG_CONFIG_HOME/mimeapps.list",
                  "[Default Applications]\nvideo/x-msvideo=hidden.desktop;example.vastrel.Quenzor.desktop\n"
                  "[Removed Associations]\nvideo/x-msvideo=removed.desktop;\n");
    desktop.Write(
        "XDG_DATA_HOME/applications/mimeinfo.cache",
        "[MIME Cache]\nvideo/x-msvideo=example.vastrel.Quenzor.desktop;removed.desktop;player.desktop;\n");
    const auto applications = DesktopApplicationsForType("video/x-msvideo");
    ASSERT_EQ(applications.size(), 1u);
    EXPECT_EQ(applications[0].id, "player.desktop");
    ShellOpenWithDesktop(evil);
    for (int i = 0; i < 500 && !FileExists(dir.File("played")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(testsupport::ReadBytes(dir.File("played")), "--play\n" + evil + "\n");
    EXPECT_TRUE(MessageBox::TakeShown().empty());
    EXPECT_FALSE(FileExists(dir.File("ran"))) << "the script was run";
    MessageBox::SetScripted(false);
}

TEST(Shell, ExecKeysAreSplitAsTheDesktopEntryFormatQuotesThem) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(DesktopExecArguments("vlc --started-from-file %U", "/a b.avi"),
              (Args{"vlc", "--started-from-file", "/a b.avi"}));
    EXPECT_EQ(DesktopExecArguments("\"/opt/my player/run\" \"a \\\"q\\\" \\\\ \\$\" %f", "x"),
              (Args{"/opt/my player/run", "a \"q\" \\ $", "x"}));
    EXPECT_EQ(DesktopExecArguments("mpv %i %c --  %F 100%%", "x"), (Args{"mpv", "--", "x", "100%"}));
    EXPECT_EQ(DesktopExecArguments("totem", "x"), (Args{"totem", "x"}));
    EXPECT_TRUE(DesktopExecArguments("\"unterminated %f", "x").empty());
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
