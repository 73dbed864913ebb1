#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <latch>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "app/CommandLine.h"
#include "app/EncoderSetupPrompt.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "app/WindowList.h"
#include "platform/Dialogs.h"
#include "platform/EncoderRegistration.h"
#include "platform/ProgramDir.h"
#include "platform/RegistryEdit.h"
#include "platform/Shell.h"
#include "platform/core/UniqueFd.h"
#include "platform/core/UserSocket.h"
#include "settings/Settings.h"
#include "support/FileHelpers.h"
#include "support/ModalDriver.h"

using app::StartupOutcome;
using platform::MessageBox;
using platform::MsgButton;

namespace {

// A scripted program directory: a registry hive, the staged installer, scripted answers.
class Startup : public ::testing::Test {
  protected:
    testsupport::ScratchDir dir;
    std::string previous = platform::ProgramDirectory();
    int promptsShown = 0;

    void SetUp() override {
        platform::SetProgramDirectory(dir.Path());
        MessageBox::TakeShown();
    }
    void TearDown() override {
        app::DestroyForms();
        app::SetPromptRunner({});
        app::SetFormsCreator({});
        platform::SetShellOpenHandler([](const std::string&) {});
        MessageBox::TakeShown();
        platform::SetProgramDirectory(previous);
    }

    void Complete() { platform::RegisterEncoder(dir.Path(), dir.File("quenzor")); }
    // A complete registration less value `index` (0 to 3).
    void CompleteWithout(size_t index) {
        Complete();
        const platform::EncoderRegistryValue& v = platform::EncoderValues[index];
        platform::EditRegistryHive([&](const std::string& text) {
            return platform::reg::DeleteValue(text, v.root, v.keyPath, v.valueName);
        });
    }

    // The prompt as the user meets it: `act` does what the user and the installer do meanwhile.
    void OnPrompt(std::function<void(app::TTempForm&)> act) {
        app::SetPromptRunner([this, act](app::TTempForm& form) {
            ++promptsShown;
            act(form);
        });
    }

    std::vector<platform::MessageRequest> Questions() { return MessageBox::TakeShown(); }

    void ExpectQuestion(const std::vector<platform::MessageRequest>& shown) {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, "Confirm");
        EXPECT_EQ(shown[0].text,
                  "You install Real Basic, but it have error,please reinstall real basic, are you sure run "
                  "me now?");
        EXPECT_EQ(shown[0].icon, platform::MsgIcon::Question);
        EXPECT_EQ(shown[0].buttons, (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No}));
        EXPECT_EQ(shown[0].defaultButton, MsgButton::Yes);
        EXPECT_EQ(shown[0].escapeButton, MsgButton::No);
    }

    bool WindowsCreated() const { return app::Forms.MainForm != nullptr; }
};

// Runs the staged installer the way the shell would, but silently and to completion.
void RunInstallerFrom(const std::string& programDir, const std::string& target) {
    ASSERT_EQ(target, programDir + "real_basic.exe");
    ASSERT_TRUE(QProcess::execute(QString::fromStdString(target), {QStringLiteral("--silent")}) == 0);
}

void FinishBar(app::TTempForm& form) {
    form.Timer1Timer();
    for (int i = 0; i < 100; ++i)
        form.Timer2Timer();
}

}  // namespace

TEST_F(Startup, ACompleteEncoderOpensTheMainWindowDirectly) {
    Complete();
    OnPrompt([](app::TTempForm&) {});
    EXPECT_EQ(app::RunStartup(), StartupOutcome::Run);
    EXPECT_EQ(promptsShown, 0);
    EXPECT_TRUE(Questions().empty());
    EXPECT_TRUE(app::EncoderReady);
    EXPECT_EQ(app::RealProducerPath, dir.Path());
    ASSERT_TRUE(WindowsCreated());
    EXPECT_EQ(app::Forms.MainForm->windowTitle(), "Vastrel Quenzor");
}

TEST_F(Startup, AnIncompleteEncoderAsksAndOnlyNoEnds) {
    for (size_t missing = 1; missing < 4; ++missing) {
        CompleteWithout(missing);
        MessageBox::SetNextAnswer(MsgButton::No);
        EXPECT_EQ(app::RunStartup(), StartupOutcome::EndedByAnswer) << "value " << missing + 1;
        ExpectQuestion(Questions());
        EXPECT_FALSE(WindowsCreated());
    }
    for (MsgButton answer : {MsgButton::Yes, MsgButton::None}) {
        MessageBox::SetNextAnswer(answer);
        EXPECT_EQ(app::RunStartup(), StartupOutcome::Run);
        ExpectQuestion(Questions());
        EXPECT_TRUE(WindowsCreated());
        app::DestroyForms();
    }
    EXPECT_EQ(promptsShown, 0);
}

TEST_F(Startup, APromptClosedBeforeAnythingWasInstalledEndsSilently) {
    OnPrompt([](app::TTempForm& form) {
        form.Timer1Timer();
        form.close();
    });
    EXPECT_EQ(app::RunStartup(), StartupOutcome::EndedSilently);
    EXPECT_EQ(promptsShown, 1);
    EXPECT_TRUE(Questions().empty());
    EXPECT_FALSE(WindowsCreated());
    EXPECT_FALSE(app::EncoderReady);
}

TEST_F(Startup, InstallingFromThePromptAndPressingOkOpensTheMainWindowWithoutAQuestion) {
    const std::string installer = std::string(QUENZOR_PROGRAM_DIR) + "/real_basic.exe";
    ASSERT_TRUE(
        QFile::copy(QString::fromStdString(installer), QString::fromStdString(dir.File("real_basic.exe"))));
    const std::string programDir = dir.Path();
    platform::SetShellOpenHandler([&](const std::string& target) { RunInstallerFrom(programDir, target); });
    OnPrompt([](app::TTempForm& form) {
        form.Timer1Timer();
        EXPECT_FALSE(Child<QTimer>(form, "Timer2")->isActive()) << "nothing installed yet";
        form.InstallButtonClick();
        FinishBar(form);
        ASSERT_TRUE(Child<QPushButton>(form, "OKButton")->isEnabled());
        form.OKButtonClick();
    });
    EXPECT_EQ(app::RunStartup(), StartupOutcome::Run);
    EXPECT_EQ(promptsShown, 1);
    EXPECT_TRUE(Questions().empty());
    EXPECT_TRUE(WindowsCreated());
    EXPECT_EQ(platform::GetRealProducerPath(), dir.Path());
    EXPECT_EQ(
        platform::RegReadString(platform::EncoderValues[3].root, platform::EncoderValues[3].keyPath, ""),
        dir.File("quenzor"));
}

TEST_F(Startup, APromptClosedByItsCloseBoxAfterInstallingStillAsks) {
    for (MsgButton answer : {MsgButton::No, MsgButton::Yes}) {
        platform::UnregisterEncoder();
        OnPrompt([this](app::TTempForm& form) {
            Complete();
            FinishBar(form);
            form.close();
        });
        MessageBox::SetNextAnswer(answer);
        EXPECT_EQ(app::RunStartup(),
                  answer == MsgButton::No ? StartupOutcome::EndedByAnswer : StartupOutcome::Run);
        ExpectQuestion(Questions());
        EXPECT_EQ(WindowsCreated(), answer == MsgButton::Yes);
        app::DestroyForms();
    }
}

TEST_F(Startup, AValueOfTheWrongTypeCountsAsMissing) {
    Complete();
    platform::EditRegistryHive([](const std::string& text) {
        std::string out = text;
        auto pos = out.find("\"path\"=\"");
        out.replace(pos, out.find('\n', pos) - pos, "\"path\"=dword:00000001");
        return out;
    });
    OnPrompt([](app::TTempForm& form) { form.close(); });
    EXPECT_EQ(app::RunStartup(), StartupOutcome::EndedSilently);
    EXPECT_EQ(promptsShown, 1);
}

TEST_F(Startup, WindowsThatCannotBeCreatedEndStartUpWithTheError) {
    Complete();
    app::SetFormsCreator([] { throw std::runtime_error("Class not registered"); });
    EXPECT_EQ(app::RunStartup(), StartupOutcome::EndedByFailure);
    auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Class not registered");
    EXPECT_EQ(shown[0].icon, platform::MsgIcon::Error);
    EXPECT_FALSE(WindowsCreated());
    // Memory running out is said in words, not as the exception's name.
    app::SetFormsCreator([] { throw std::bad_alloc(); });
    EXPECT_EQ(app::RunStartup(), StartupOutcome::EndedByFailure);
    shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.rfind("There is not enough memory", 0), 0u) << shown[0].text;
}

TEST_F(Startup, TheMainWindowLeavesItsSettingsInDataIniAndTheNextStartGoesStraightIn) {
    Complete();
    ASSERT_EQ(app::RunStartup(), StartupOutcome::Run);
    app::Forms.MainForm->show();
    app::Forms.MainForm->close();
    const std::string saved = testsupport::ReadBytes(dir.File("data.ini"));
    EXPECT_EQ(saved.substr(0, 24), "\r\n[option]\r\nfiletype=1\r\n");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 20);
    EXPECT_EQ(saved.substr(saved.size() - 19), "MaxConverFile=200\r\n");
    app::DestroyForms();

    OnPrompt([](app::TTempForm&) {});
    EXPECT_EQ(app::RunStartup(), StartupOutcome::Run);
    EXPECT_EQ(promptsShown, 0);
    EXPECT_TRUE(Questions().empty());
}

TEST_F(Startup, ADataIniThatCannotBeWrittenIsReportedAndTheWindowStillCloses) {
    Complete();
    ::mkdir(dir.File("data.ini").c_str(), 0777);
    ASSERT_EQ(app::RunStartup(), StartupOutcome::Run);
    app::Forms.MainForm->show();
    MessageBox::TakeShown();
    app::Forms.MainForm->close();
    EXPECT_FALSE(app::Forms.MainForm->isVisible());
    auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Cannot create file \"" + dir.File("data.ini") + "\". Is a directory");
}

TEST_F(Startup, FilesNamedOnTheCommandLineJoinTheListAsAddFilesDo) {
    Complete();
    QDir().mkpath(QString::fromStdString(dir.File("media/sub")));
    for (const char* name :
         {"media/a.avi", "media/sub/b.wav", "media/sub/readme.txt", "-dash.au", "x.avi", "y.avi"})
        testsupport::WriteBytes(dir.File(name), "x");
    ASSERT_EQ(app::RunStartup(), StartupOutcome::Run);
    app::Forms.MainForm->show();
    // Names that are not UTF-8 and read the same are told apart by their bytes.
    for (const char* name : {"media/caf\xe9.wav", "media/caf\xe8.wav"})
        testsupport::WriteBytes(dir.File(name), "x");
    const QString previousCurrent = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.Path()));
    // Options are left out; relative names are made full, as the dialog returns them; names that are not
    // there are named in one message and left out; a folder gives its media files, as a drop does.
    const std::vector<std::string> arguments{"quenzor",
                                             "--verbose",
                                             "media/a.avi",
                                             "media/../media/later.mp3",
                                             "media/caf\xe8.wav",
                                             "./media//caf\xe9.wav",
                                             "media/caf\xff.wav",
                                             dir.File("media/sub"),
                                             "--",
                                             "-dash.au"};
    app::AddCommandLineFiles(arguments);
    QDir::setCurrent(previousCurrent);
    const jobs::TJobList& list = app::Forms.MainForm->Jobs().Jobs();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].SourceFile, dir.File("media/a.avi"));
    EXPECT_EQ(list[0].DestFile, dir.File("media/a.rm"));
    EXPECT_EQ(list[0].Title, "Vastrel Quenzor") << "the loaded settings' clip information";
    EXPECT_EQ(list[1].SourceFile, dir.File("media/caf\xe8.wav"));
    EXPECT_EQ(list[1].DestFile, dir.File("media/caf\xe8.rm"));
    EXPECT_EQ(list[2].SourceFile, dir.File("media/caf\xe9.wav"));
    EXPECT_EQ(list[3].SourceFile, dir.File("media/sub/b.wav"));
    EXPECT_EQ(list[4].SourceFile, dir.File("-dash.au"));
    EXPECT_EQ(app::Forms.MainForm->Jobs().RowText(4, jobs::colNum), "5");
    auto missing = Questions();
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].text, "These files were not found and are not added:\n" +
                                   dir.File("media/later.mp3") + "\n" +
                                   dir.File("media/caf\xef\xbf\xbd.wav"));

    // Add File's limit and message.
    settings::Settings.MaxConverFile = 6;
    app::AddCommandLineFiles({"quenzor", dir.File("x.avi"), dir.File("y.avi")});
    const auto shown = Questions();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "You set max conver file is 6");
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[5].SourceFile, dir.File("x.avi"));
    // No names, no message.
    app::AddCommandLineFiles({"quenzor"});
    EXPECT_TRUE(Questions().empty());
    settings::Settings.MaxConverFile = 200;
    app::Forms.MainForm->close();
}

// The command line before any window, and a later start handing its files to the window that is open.
TEST_F(Startup, TheCommandLineIsAnsweredWithoutAWindowAndASecondStartJoinsTheFirst) {
    auto answer = [](std::vector<std::string> arguments) {
        std::ostringstream out, err;
        arguments.insert(arguments.begin(), "quenzor");
        const std::optional<int> status = app::AnswerCommandLine(arguments, out, err);
        return std::tuple{status, out.str(), err.str()};
    };
    EXPECT_EQ(std::get<0>(answer({"a.avi", "--help"})), 0);
    EXPECT_EQ(std::get<1>(answer({"-h"})).rfind("Usage: quenzor", 0), 0u);
    EXPECT_EQ(std::get<1>(answer({"--version"})), "quenzor (Quenzor) " QUENZOR_TEST_VERSION "\n");
    EXPECT_EQ(std::get<0>(answer({"-platform", "offscreen", "--style=fusion", "-reverse", "a.avi"})),
              std::nullopt);
    EXPECT_EQ(std::get<0>(answer({"--", "--help", "-x.avi"})), std::nullopt) << "names after --";
    const auto [status, out, err] = answer({"a.avi", "--bogus"});
    EXPECT_EQ(status, 2);
    EXPECT_NE(err.find("'--bogus'"), std::string::npos) << err;

    // The real program answers with no display to connect to.
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUENZOR_PROGRAM_DIR "/quenzor"), {QStringLiteral("--version")});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readAllStandardOutput(), "quenzor (Quenzor) " QUENZOR_TEST_VERSION "\n");

    // The first start serves; a second one (on a thread of its own, as it would be a process of its own)
    // hands over its names made whole, byte for byte, and is done.
    const std::string socket = dir.File("instance");
    app::SingleInstance first(socket);
    std::vector<std::string> received;
    first.SetReceiver([&](const std::vector<std::string>& arguments) { received = arguments; });
    ASSERT_FALSE(first.HandOver({"quenzor"}));
    ASSERT_TRUE(first.Serving());
    bool handed = false;
    std::thread second([&] {
        app::SingleInstance later(socket);
        handed = later.HandOver({"quenzor", "clip.avi", "--", "/abs/-b.wav", "caf\xe9.wav", "caf\xe8.wav"});
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, 10000));
    second.join();
    EXPECT_TRUE(handed);
    const std::string current = QDir::currentPath().toStdString() + "/";
    EXPECT_EQ(received, (std::vector<std::string>{"quenzor", "--", current + "clip.avi", "/abs/-b.wav",
                                                  current + "caf\xe9.wav", current + "caf\xe8.wav"}));
    // Ending, the window takes its socket away.
    first.Close();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(socket)));

    // The real program, in a private copy with the encoder registered: a later start hands over and
    // ends at once, and the window takes its socket away also when a signal ends it (as at logout).
    std::filesystem::copy(QUENZOR_PROGRAM_DIR, dir.File("Quenzor"), std::filesystem::copy_options::recursive);
    ASSERT_EQ(QProcess::execute(QString::fromStdString(dir.File("Quenzor/real_basic.exe")),
                                {QStringLiteral("--silent")}),
              0);
    ::mkdir(dir.File("run").c_str(), 0700);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(dir.File("run")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(dir.File("config")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    auto started = [&](QProcess& start, const QStringList& arguments) {
        start.setProcessEnvironment(environment);
        start.start(QString::fromStdString(dir.File("Quenzor/quenzor")), arguments);
        return start.waitForStarted(20000);
    };
    auto sockets = [&] {
        int count = 0;
        for (const std::string& name : testsupport::FolderEntries(dir.File("run")))
            count += platform::IsOwnSocket(dir.File("run/") + name);
        return count;
    };
    QProcess window, later;
    ASSERT_TRUE(started(window, {}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sockets() == 1; }, 20000));
    ASSERT_TRUE(started(later, {QStringLiteral("clip.avi")}));
    EXPECT_TRUE(later.waitForFinished(20000));
    EXPECT_EQ(later.exitCode(), 0);
    EXPECT_EQ(window.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
    EXPECT_TRUE(window.waitForFinished(20000));
    EXPECT_EQ(window.exitStatus(), QProcess::CrashExit) << "ended by the signal";
    EXPECT_EQ(sockets(), 0);
}

namespace {
constexpr uid_t kNobody = 65534;

sockaddr_un Address(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return address;
}

// A socket file at `path` that this process has bound; listening when asked.
int BoundSocket(const std::string& path, bool listening) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = Address(path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        (listening && ::listen(fd, 8) != 0))
        throw std::runtime_error("cannot bind " + path);
    return fd;
}

// A start's hand-over as it travels: the length of the whole, then each argument after its length (32 bits,
// most significant byte first).
std::string HandOverMessage(const std::vector<std::string>& arguments) {
    auto size = [](std::size_t n) {
        return std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                           static_cast<char>(n)};
    };
    std::string body;
    for (const std::string& argument : arguments)
        body += size(argument.size()) + argument;
    return size(body.size()) + body;
}

// Holds the lock beside the socket, as a window that serves there does.
platform::UniqueFd HoldLock(const std::string& socket) {
    platform::UniqueFd lock(::open((socket + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    EXPECT_EQ(::flock(lock.Get(), LOCK_EX | LOCK_NB), 0);
    return lock;
}

// Whether `fd` has something to read (a connection, for a listening socket) within `ms`.
bool Readable(int fd, int ms = 0) {
    pollfd ready{fd, POLLIN, 0};
    return ::poll(&ready, 1, ms) == 1;
}

// Another user's process: a child that runs `asUs` as this user, then `asThem` under the id of nobody,
// which writes a byte to the descriptor it is given once it is ready and returns a count. This process
// runs `meanwhile` once the child is ready, then handles its events until the child ends. Returns the
// count; -1 when the child failed.
ssize_t InStrangersProcess(const std::function<int()>& asUs, const std::function<ssize_t(int, int)>& asThem,
                           const std::function<void()>& meanwhile) {
    int ready[2], report[2];
    if (::pipe(ready) != 0 || ::pipe(report) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        const int kept = asUs();
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        const ssize_t count = asThem(kept, ready[1]);
        ::_exit(::write(report[1], &count, sizeof count) == sizeof count ? 0 : 3);
    }
    ::close(ready[1]);
    ::close(report[1]);
    char byte = 0;
    if (Readable(ready[0], 10000) && ::read(ready[0], &byte, 1) == 1)
        meanwhile();
    const bool ended = QTest::qWaitFor([&] { return Readable(report[0]); }, 20000);
    ssize_t count = -1;
    if (!ended || ::read(report[0], &count, sizeof count) != static_cast<ssize_t>(sizeof count))
        count = -1;
    ::close(ready[0]);
    ::close(report[0]);
    if (!ended)
        ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    return count;
}
}  // namespace

// Another local user must not receive this user's files nor keep the window from opening: the meeting
// point is a private folder, and every socket file and peer is checked to be this user's. Whatever sits
// at the socket's name and is not a socket of ours stays as it is.
TEST(SingleInstance, OnlyThisUsersWindowIsMetAndNothingElseIsReplaced) {
    testsupport::ScratchDir dir;
    const bool root = ::geteuid() == 0;

    // The runtime folder: $XDG_RUNTIME_DIR only when it is a private folder of ours (not a link to one),
    // then Qt's runtime-<user> in the temporary folder, then one of our own there; none when the names
    // are taken by someone else.
    const testsupport::ScopedEnv temp("TMPDIR", dir.File("tmp").c_str());
    ::mkdir(dir.File("tmp").c_str(), 0777);
    ::mkdir(dir.File("run").c_str(), 0755);
    ::mkdir(dir.File("private").c_str(), 0700);
    ::symlink(dir.File("private").c_str(), dir.File("link").c_str());
    const std::string user = ::getpwuid(::geteuid())->pw_name;
    const std::string qtRuntime = dir.File("tmp/runtime-") + user;
    const std::string ownRuntime = dir.File("tmp/quenzor-") + std::to_string(::geteuid());
    auto folderOf = [](const std::string& name) { return name.substr(0, name.rfind('/')); };
    {
        const testsupport::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.File("private").c_str());
        EXPECT_EQ(folderOf(app::SingleInstance::DefaultName()), dir.File("private"));
    }
    for (const char* unsafe : {"run", "link"}) {
        const testsupport::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.File(unsafe).c_str());
        EXPECT_EQ(folderOf(app::SingleInstance::DefaultName()), qtRuntime) << unsafe;
    }
    struct stat made {};
    ASSERT_EQ(::lstat(qtRuntime.c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0700u);
    {
        const testsupport::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
        ::chmod(qtRuntime.c_str(), 0755);
        EXPECT_EQ(folderOf(app::SingleInstance::DefaultName()), ownRuntime);
        if (root) {
            // Someone else's folders under the names.
            ::chown(dir.File("private").c_str(), kNobody, kNobody);
            const testsupport::ScopedEnv theirs("XDG_RUNTIME_DIR", dir.File("private").c_str());
            ::chown(ownRuntime.c_str(), kNobody, kNobody);
            EXPECT_EQ(app::SingleInstance::DefaultName(), "");
            app::SingleInstance alone;
            EXPECT_FALSE(alone.HandOver({"quenzor", "a.avi"}));
            EXPECT_FALSE(alone.Serving());
            EXPECT_EQ(testsupport::FolderEntries(ownRuntime), std::vector<std::string>{});
        }
    }

    // A plain file of the user's at the socket's name is neither replaced nor removed: this window runs
    // on its own.
    const std::string socket = dir.File("instance");
    testsupport::WriteBytes(socket, "mine");
    {
        app::SingleInstance start(socket);
        EXPECT_FALSE(start.HandOver({"quenzor"}));
        EXPECT_FALSE(start.Serving());
    }
    EXPECT_EQ(testsupport::ReadBytes(socket), "mine");
    ::unlink(socket.c_str());

    // A socket of ours that nobody serves (its window was killed) is taken over.
    ::close(BoundSocket(socket, false));
    {
        app::SingleInstance start(socket);
        EXPECT_FALSE(start.HandOver({"quenzor"}));
        EXPECT_TRUE(start.Serving());
    }
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(socket)));

    if (!root)
        GTEST_SKIP() << "the other user's socket and processes need a second user id";
    platform::UniqueFd lock = HoldLock(socket);

    // Someone else's socket file while the lock is held: never connected to.
    {
        const platform::UniqueFd theirs(BoundSocket(socket, true));
        ::chown(socket.c_str(), kNobody, kNobody);
        app::SingleInstance start(socket);
        EXPECT_FALSE(start.HandOver({"quenzor", "secret.avi"}));
        EXPECT_FALSE(start.Serving());
        EXPECT_FALSE(Readable(theirs.Get()));
        ::unlink(socket.c_str());
    }

    // Our socket file, but the process that answers runs as someone else: it hears nothing.
    const ssize_t heard = InStrangersProcess(
        [&] { return BoundSocket(socket, false); },
        [](int fd, int ready) {
            ssize_t count = 0;
            if (::listen(fd, 8) != 0 || ::write(ready, "r", 1) != 1 || !Readable(fd, 10000))
                return count;
            const int connection = ::accept(fd, nullptr, nullptr);
            char buffer[256];
            for (ssize_t n; (n = ::read(connection, buffer, sizeof buffer)) > 0;)
                count += n;
            return count;
        },
        [&] {
            app::SingleInstance start(socket);
            EXPECT_FALSE(start.HandOver({"quenzor", "secret.avi"}));
            EXPECT_FALSE(start.Serving());
        });
    EXPECT_EQ(heard, 0);
    ::unlink(socket.c_str());

    // The window does not hear another user's process that reaches its socket.
    lock.Reset();
    app::SingleInstance window(socket);
    std::vector<std::string> received;
    window.SetReceiver([&](const std::vector<std::string>& arguments) { received = arguments; });
    ASSERT_FALSE(window.HandOver({"quenzor"}));
    ASSERT_TRUE(window.Serving());
    ::chmod(socket.c_str(), 0666);
    const ssize_t answered = InStrangersProcess(
        [] { return -1; },
        [&](int, int ready) -> ssize_t {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const sockaddr_un address = Address(socket);
            const std::string message = HandOverMessage({"q", "--", "/x.avi"});
            if (::write(ready, "r", 1) != 1 ||
                ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
                ::write(fd, message.data(), message.size()) < 0)
                return -1;
            // The window's answer, or the end of the connection.
            char answer[16];
            return std::max<ssize_t>(::read(fd, answer, sizeof answer), 0);
        },
        [] {});
    EXPECT_EQ(answered, 0);
    QTest::qWait(50);
    EXPECT_TRUE(received.empty());
}

// Many starts at once, each with a file of its own: exactly one serves, every other hands its file to it
// and is done, and the socket goes with the window that served. The moment two starts can collide in is
// short, so the race is run again and again.
TEST(SingleInstance, SimultaneousStartsMeetInOneWindow) {
    testsupport::ScratchDir dir;
    const std::string socket = dir.File("instance");
    constexpr int kStarts = 30;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::mutex mutex;
        std::vector<std::string> arrived;
        std::vector<int> served(kStarts), handed(kStarts);
        std::vector<std::unique_ptr<QThread>> starts;
        std::latch together(kStarts);
        for (int i = 0; i < kStarts; ++i) {
            starts.emplace_back(QThread::create([&, i] {
                QEventLoop loop;
                app::SingleInstance start(socket);
                int deliveries = 0;
                start.SetReceiver([&](const std::vector<std::string>& arguments) {
                    const std::lock_guard guard(mutex);
                    arrived.insert(arrived.end(), arguments.begin() + 2, arguments.end());
                    if (++deliveries == kStarts - 1)
                        loop.quit();
                });
                together.arrive_and_wait();
                handed[i] = start.HandOver({"quenzor", "/clips/" + std::to_string(i) + ".avi"});
                served[i] = start.Serving();
                if (served[i]) {
                    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
                    loop.exec();
                }
            }));
        }
        for (auto& start : starts)
            start->start();
        for (auto& start : starts)
            ASSERT_TRUE(start->wait(60000));
        ASSERT_EQ(std::count(served.begin(), served.end(), 1), 1);
        EXPECT_EQ(std::count(handed.begin(), handed.end(), 1), kStarts - 1);
        const auto server = std::find(served.begin(), served.end(), 1) - served.begin();
        std::vector<std::string> expected;
        for (int i = 0; i < kStarts; ++i) {
            if (i != server)
                expected.push_back("/clips/" + std::to_string(i) + ".avi");
        }
        std::sort(arrived.begin(), arrived.end());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(arrived, expected);
        ASSERT_FALSE(QFileInfo::exists(QString::fromStdString(socket)));
    }
}
