#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/DesktopApps.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/Spawn.h"
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
// What a started program recorded: it renames its record into place when done, so the file is whole.
std::string WaitForRecord(const std::string& record) {
    for (int i = 0; i < 500 && !FileExists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return testsupport::ReadBytes(record);
}

// A desktop of its own for one test: the XDG folders point into a scratch folder, restored afterwards.
class ScratchDesktop {
  public:
    // Without `types`, the desktop has no type database at all.
    explicit ScratchDesktop(bool types = true) {
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
        if (types)
            ::symlink("/usr/share/mime", dir_.File("XDG_DATA_DIRS/mime").c_str());
        // Programs come from here alone: bin/ for the test's own, tools/ for the few the scripts need.
        ::mkdir(dir_.File("bin").c_str(), 0777);
        ::mkdir(dir_.File("tools").c_str(), 0777);
        for (const char* tool : {"sh", "env", "mv"})
            ::symlink(FindProgram(tool).c_str(), dir_.File(std::string("tools/") + tool).c_str());
        saved_.emplace_back("PATH", qgetenv("PATH"));
        qputenv("PATH", QByteArray::fromStdString(dir_.File("bin") + ":" + dir_.File("tools")));
    }
    ~ScratchDesktop() {
        for (const auto& [name, value] : saved_)
            qputenv(name, value);
    }
    // A program in bin/ that writes its arguments, one a line, to `record`.
    std::string AddRecordingProgram(const std::string& name, const std::string& record) {
        const std::string program = dir_.File("bin/" + name);
        WriteBytes(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + record + ".tmp\"\nmv \"" + record +
                                ".tmp\" \"" + record + "\"\n");
        ::chmod(program.c_str(), 0755);
        return program;
    }
    // A desktop entry whose program writes its arguments, one a line, to `record`.
    void AddRecorder(const std::string& id, const std::string& record) {
        const std::string program = AddRecordingProgram(id + ".sh", record);
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
    FinishDesktopLookups();
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
    FinishDesktopLookups();
    EXPECT_EQ(WaitForRecord(dir.File("played")), "--play\n" + evil + "\n");
    EXPECT_TRUE(MessageBox::TakeShown().empty());
    EXPECT_FALSE(FileExists(dir.File("ran"))) << "the script was run";
    MessageBox::SetScripted(false);
}

TEST(Shell, OnlyAnEntryThatNamesARealProgramOtherThanThisOneIsStartedWithTheFilesOwnBytes) {
    ScratchDesktop desktop;
    MessageBox::SetScripted(true);
    MessageBox::TakeShown();
    testsupport::ScratchDir dir;
    // A media file that is a script: running it leaves a mark. Its name is not UTF-8.
    const std::string evil = dir.File("evil caf\xe9 \xff.avi");
    WriteBytes(evil, "#!/bin/sh\ntouch \"" + dir.File("ran") + "\"\n");
    ::chmod(evil.c_str(), 0755);
    const std::string apps = "XDG_DATA_HOME/applications/";
    auto entry = [&](const std::string& id, const std::string& exec, const std::string& more = "") {
        desktop.Write(apps + id,
                      "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + exec + "\n" + more);
    };
    // The file itself as the program, bare, quoted or inside the word; an entry that names no program.
    entry("code.desktop", "%f");
    entry("quoted-code.desktop", "\"%f\" --play");
    entry("inside-code.desktop", "x%u");
    entry("icon-first.desktop", "%i sh");
    entry("empty.desktop", "\"\" %f");
    entry("blank.desktop", " ");
    // This program under other names: through env, a shell's script, and a link to the running program.
    desktop.AddRecordingProgram("quenzor", dir.File("ours"));
    ::symlink(QCoreApplication::applicationFilePath().toLocal8Bit().constData(),
              desktop.File("bin/player").c_str());
    entry("env.desktop", "env QT_SCALE_FACTOR=1 -u X " + desktop.File("bin/quenzor") + " %F");
    entry("shell.desktop", "sh -ec \"A=1 exec quenzor \\\\\"\\\\$1\\\\\"\" sh %f");
    entry("link.desktop", "player %F");
    entry("link-in-shell.desktop", "sh -c \"exec player \\\\\"\\\\$0\\\\\"\" %f");
    entry("missing.desktop", "no-such-player %f");
    // A program for the terminal, and an ordinary player that takes the file quoted.
    desktop.AddRecordingProgram("console-player", dir.File("console"));
    entry("console.desktop", "console-player %f", "Terminal=true\n");
    desktop.AddRecordingProgram("player.sh", dir.File("played"));
    entry("player.desktop", "player.sh --file \"%f\" \"--name=%f\"");
    desktop.Write(apps + "mimeinfo.cache",
                  "[MIME Cache]\nvideo/x-msvideo=code.desktop;quoted-code.desktop;inside-code.desktop;"
                  "icon-first.desktop;empty.desktop;blank.desktop;env.desktop;shell.desktop;link.desktop;"
                  "link-in-shell.desktop;missing.desktop;console.desktop;player.desktop;\n"
                  "audio/x-wav=console.desktop;\n");
    std::vector<std::string> ids;
    for (const DesktopApplication& application : DesktopApplicationsForType("video/x-msvideo"))
        ids.push_back(application.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"console.desktop", "player.desktop"}));

    // No terminal emulator: the terminal program is passed over, for the player, or said to be all there is.
    ShellOpenWithDesktop(evil);
    const std::string wav = dir.File("song \xe8.wav");
    WriteBytes(wav, "RIFF");
    ShellOpenWithDesktop(wav);
    FinishDesktopLookups();
    EXPECT_EQ(WaitForRecord(dir.File("played")), "--file\n" + evil + "\n--name=" + evil + "\n");
    auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("run in a terminal"), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[0].text.find("(audio/x-wav)"), std::string::npos) << shown[0].text;
    EXPECT_FALSE(FileExists(dir.File("console")));

    // With one, the terminal program starts in it.
    desktop.AddRecordingProgram("x-terminal-emulator", dir.File("terminal"));
    ShellOpenWithDesktop(evil);
    FinishDesktopLookups();
    EXPECT_EQ(WaitForRecord(dir.File("terminal")), "-e\nconsole-player\n" + evil + "\n");
    EXPECT_TRUE(MessageBox::TakeShown().empty());
    EXPECT_FALSE(FileExists(dir.File("ran"))) << "the media file was run";
    EXPECT_FALSE(FileExists(dir.File("ours"))) << "the file came back to this program";
    MessageBox::SetScripted(false);
}

TEST(Shell, LoopsOfParentTypesAndHugeOrEndlessDatabaseFilesEndTheLookup) {
    ScratchDesktop desktop;
    // The user's type database makes AVI its own grandparent.
    ::mkdir(desktop.File("XDG_DATA_HOME/mime").c_str(), 0777);
    ::mkdir(desktop.File("XDG_DATA_HOME/mime/packages").c_str(), 0777);
    desktop.Write("XDG_DATA_HOME/mime/packages/loop.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                  "<mime-type type=\"video/x-msvideo\"><sub-class-of type=\"video/x-loop-a\"/></mime-type>\n"
                  "<mime-type type=\"video/x-loop-a\"><comment>A</comment>"
                  "<sub-class-of type=\"video/x-loop-b\"/></mime-type>\n"
                  "<mime-type type=\"video/x-loop-b\"><comment>B</comment>"
                  "<sub-class-of type=\"video/x-msvideo\"/></mime-type>\n"
                  "</mime-info>\n");
    const auto types = MimeTypeAndAncestors("video/x-msvideo");
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), "video/x-msvideo");
    EXPECT_EQ(std::count(types.begin(), types.end(), "video/x-loop-b"), 1);

    // A parent's application is found through the loop. The cache is a sparse file of 64 MiB: what lies
    // past the size limit is not read. The user's list is a pipe nobody writes to.
    testsupport::ScratchDir dir;
    desktop.AddRecorder("parent.desktop", dir.File("played"));
    desktop.AddRecorder("far.desktop", dir.File("played"));
    const std::string cache = desktop.File("XDG_DATA_HOME/applications/mimeinfo.cache");
    desktop.Write("XDG_DATA_HOME/applications/mimeinfo.cache",
                  "[MIME Cache]\nvideo/x-loop-b=parent.desktop;\n");
    ASSERT_EQ(::truncate(cache.c_str(), 64 << 20), 0);
    {
        std::FILE* file = std::fopen(cache.c_str(), "ab");
        ASSERT_NE(file, nullptr);
        std::fputs("\nvideo/x-msvideo=far.desktop;\n", file);
        std::fclose(file);
    }
    ASSERT_EQ(::mkfifo(desktop.File("XDG_CONFIG_HOME/mimeapps.list").c_str(), 0600), 0);
    const auto applications = DesktopApplicationsForType("video/x-msvideo");
    ASSERT_EQ(applications.size(), 1u);
    EXPECT_EQ(applications[0].id, "parent.desktop");
}

TEST(Shell, WithoutATypeDatabaseTheTypeIsSaidToBeUnknown) {
    ScratchDesktop desktop(false);
    MessageBox::SetScripted(true);
    MessageBox::TakeShown();
    testsupport::ScratchDir dir;
    WriteBytes(dir.File("a.avi"), "RIFF");
    // An application listed under no type is not taken for a file of unknown type either.
    desktop.AddRecorder("any.desktop", dir.File("played"));
    desktop.Write("XDG_DATA_HOME/applications/mimeinfo.cache", "[MIME Cache]\n=any.desktop;\n");
    ShellOpenWithDesktop(dir.File("a.avi"));
    FinishDesktopLookups();
    const auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "No program on this computer opens " + dir.File("a.avi") + " (unknown type).");
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
    // Field codes inside quotes are expanded too; a program word holding one makes no command at all.
    EXPECT_EQ(DesktopExecArguments("vlc \"%f\" \"--title=%u 100%%\"", "/a b"),
              (Args{"vlc", "/a b", "--title=/a b 100%"}));
    for (const char* exec : {"%f", "\"%F\" x", "run%u", "%k vlc", "\"\" %f", ""})
        EXPECT_TRUE(DesktopExecArguments(exec, "x").empty()) << exec;

    // The programs a wrapper goes on to run.
    EXPECT_EQ(ProgramsRun({"env", "-i", "A=1", "-u", "B", "--", "/q/quenzor", "x"}),
              (Args{"env", "/q/quenzor"}));
    EXPECT_EQ(ProgramsRun({"/usr/bin/env", "-S", "A=1 quenzor -x", "y"}), (Args{"/usr/bin/env", "quenzor"}));
    EXPECT_EQ(ProgramsRun({"bash", "-o", "pipefail", "-ec", "A=\"1 2\" exec 'my q' \"$1\"; b", "x"}),
              (Args{"bash", "my q"}));
    EXPECT_EQ(ProgramsRun({"sh", "script.sh", "-c"}), (Args{"sh"}));
    EXPECT_EQ(ProgramsRun({"vlc", "env"}), (Args{"vlc"}));
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
