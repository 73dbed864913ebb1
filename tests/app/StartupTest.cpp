#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
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
    const QString previousCurrent = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.Path()));
    // Options are left out; relative names are made full, as the dialog returns them; names that are not
    // there are named in one message and left out; a folder gives its media files, as a drop does.
    const QStringList arguments{QStringLiteral("quenzor"),
                                QStringLiteral("--verbose"),
                                QStringLiteral("media/a.avi"),
                                QStringLiteral("media/../media/later.mp3"),
                                QString::fromStdString(dir.File("media/sub")),
                                QStringLiteral("--"),
                                QStringLiteral("-dash.au")};
    app::AddCommandLineFiles(arguments);
    QDir::setCurrent(previousCurrent);
    const jobs::TJobList& list = app::Forms.MainForm->Jobs().Jobs();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].SourceFile, dir.File("media/a.avi"));
    EXPECT_EQ(list[0].DestFile, dir.File("media/a.rm"));
    EXPECT_EQ(list[0].Title, "Vastrel Quenzor") << "the loaded settings' clip information";
    EXPECT_EQ(list[1].SourceFile, dir.File("media/sub/b.wav"));
    EXPECT_EQ(list[2].SourceFile, dir.File("-dash.au"));
    EXPECT_EQ(app::Forms.MainForm->Jobs().RowText(2, jobs::colNum), "3");
    auto missing = Questions();
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].text,
              "These files were not found and are not added:\n" + dir.File("media/later.mp3"));

    // Add File's limit and message.
    settings::Settings.MaxConverFile = 4;
    app::AddCommandLineFiles({QStringLiteral("quenzor"), QString::fromStdString(dir.File("x.avi")),
                              QString::fromStdString(dir.File("y.avi"))});
    const auto shown = Questions();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "You set max conver file is 4");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[3].SourceFile, dir.File("x.avi"));
    // No names, no message.
    app::AddCommandLineFiles({QStringLiteral("quenzor")});
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

    // The first start listens; a second one (on a thread of its own, as it would be a process of its
    // own) hands over its arguments with relative names made whole, and is done.
    const QString socket = QString::fromStdString(dir.File("instance"));
    app::SingleInstance first(socket);
    QStringList received;
    first.SetReceiver([&](const QStringList& arguments) { received = arguments; });
    ASSERT_FALSE(first.HandOver({QStringLiteral("quenzor")}));
    bool handed = false;
    std::thread second([&] {
        app::SingleInstance later(socket);
        handed = later.HandOver({QStringLiteral("quenzor"), QStringLiteral("clip.avi"), QStringLiteral("--"),
                                 QStringLiteral("/abs/-b.wav")});
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 10000));
    second.join();
    EXPECT_TRUE(handed);
    EXPECT_EQ(received, (QStringList{QStringLiteral("quenzor"), QDir::current().absoluteFilePath("clip.avi"),
                                     QStringLiteral("--"), QStringLiteral("/abs/-b.wav")}));

    // A socket left behind by a window that ended without closing it does not stop the next start.
    testsupport::ScratchDir other;
    const QString stale = QString::fromStdString(other.File("instance"));
    testsupport::WriteBytes(other.File("instance"), "");
    app::SingleInstance next(stale);
    EXPECT_FALSE(next.HandOver({QStringLiteral("quenzor")}));
}
