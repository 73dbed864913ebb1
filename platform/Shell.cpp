#include "platform/Shell.h"

#include <filesystem>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QThreadPool>
#include <QUrl>
#include <atomic>
#include <deque>
#include <mutex>

#include "platform/DesktopApps.h"
#include "platform/Dialogs.h"
#include "platform/Spawn.h"
#include "platform/core/Paths.h"

namespace platform {
namespace {
ShellOpenHandler& Handler() {
    static ShellOpenHandler handler;
    return handler;
}

bool HasScheme(const std::string& target) {
    static const QRegularExpression scheme(QStringLiteral("^(https?|mailto|file):"),
                                           QRegularExpression::CaseInsensitiveOption);
    return scheme.match(QString::fromStdString(target)).hasMatch();
}
}  // namespace

void SetShellOpenHandler(ShellOpenHandler handler) {
    Handler() = std::move(handler);
}

void ShellOpen(const std::string& target) {
    if (Handler()) {
        Handler()(target);
        return;
    }
    ShellOpenWithDesktop(target);
}

void RunProgram(const std::string& path) {
    if (Handler()) {
        Handler()(path);
        return;
    }
    StartProgramDetached(path);
}

ShellAction ClassifyShellTarget(const std::string& target) {
    if (target.empty())
        return ShellAction::Nothing;
    if (HasScheme(target))
        return ShellAction::OpenUrl;
    if (FileExists(target) || DirectoryExists(target))
        return ShellAction::OpenLocal;
    return ShellAction::Nothing;
}

void StartProgramDetached(const std::string& path) {
    if (path.empty())
        return;
    // A bare name would be looked up on the search path; the program meant is the file at this path.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (!error)
        SpawnDetached({absolute.native()});
}

namespace {
// What the user is told when nothing on the desktop opens a target: which type, and what would open it.
std::string NoApplicationMessage(const std::string& target, const std::string& type) {
    if (type == "x-scheme-handler/mailto")
        return "No e-mail program on this computer writes to " + target.substr(7) +
               ". Install an e-mail program to send the message.";
    if (type.rfind("x-scheme-handler/http", 0) == 0)
        return "No web browser on this computer opens " + target + ". Install a web browser to open it.";
    if (type.rfind("video/", 0) == 0 || type.rfind("audio/", 0) == 0 ||
        type.find("realmedia") != std::string::npos)
        return "No media player on this computer plays " + target + " (" + type +
               "). Install a media player, such as VLC, to play it.";
    return "No program on this computer opens " + target + " (" + (type.empty() ? "unknown type" : type) +
           ").";
}

// The desktop's choice for a target: the command to start, or what to tell the user.
struct Choice {
    std::vector<std::string> command;
    std::string name;     // the application's, for a failure to start
    std::string message;  // when nothing is started
};

// Reads the desktop's databases: slow on a slow disk, so never on the window's thread.
Choice ChooseApplication(const std::string& target) {
    std::string type;
    std::string argument = target;
    if (ClassifyShellTarget(target) == ShellAction::OpenUrl) {
        const QUrl url(QString::fromStdString(target));
        if (url.isLocalFile()) {
            argument = url.toLocalFile().toStdString();
            type = MimeTypeOfFile(argument);
        } else {
            type = "x-scheme-handler/" + url.scheme().toLower().toStdString();
        }
    } else {
        type = MimeTypeOfFile(target);
    }
    // The desktop's own choice of application, looked up here rather than through a helper program, so
    // that this program is never chosen for its own types and a missing application is said aloud.
    bool terminalOnly = false;
    for (const DesktopApplication& application : DesktopApplicationsForType(type)) {
        std::vector<std::string> command = DesktopExecArguments(application.exec, argument);
        if (command.empty())
            continue;
        if (application.terminal) {
            // Debian's name for the user's terminal emulator, which runs "-e program arguments...".
            const std::string terminal = FindProgram("x-terminal-emulator");
            if (terminal.empty()) {
                terminalOnly = true;
                continue;
            }
            command.insert(command.begin(), {terminal, "-e"});
        }
        return {std::move(command), application.name.empty() ? application.id : application.name, {}};
    }
    if (terminalOnly)
        return {{},
                {},
                "Only programs that run in a terminal open " + target + " (" + type +
                    "), and this computer has no terminal emulator (x-terminal-emulator) to run them in."};
    return {{}, {}, NoApplicationMessage(target, type)};
}

// Shown and started on the window's thread.
void Carry(const std::string& target, const Choice& choice) {
    if (!choice.message.empty())
        MessageBox::ShowMessage(choice.message);
    else if (!SpawnDetached(choice.command))
        MessageBox::ShowMessage("Cannot start " + choice.name + " to open " + target + ".");
}

// The hand-offs not yet carried out; those waiting for the worker, in the order they were asked for.
std::atomic<int> pendingLookups{0};
std::mutex lookupMutex;
std::deque<std::string> lookupQueue;
bool lookupRunning = false;

// One worker at a time takes the queue in order, so hand-offs are carried out in the order they were asked.
void TakeLookups(QCoreApplication* application) {
    for (;;) {
        std::string target;
        {
            const std::lock_guard lock(lookupMutex);
            if (lookupQueue.empty()) {
                lookupRunning = false;
                return;
            }
            target = std::move(lookupQueue.front());
            lookupQueue.pop_front();
        }
        Choice choice = ChooseApplication(target);
        QMetaObject::invokeMethod(
            application,
            [target, choice = std::move(choice)] {
                --pendingLookups;
                Carry(target, choice);
            },
            Qt::QueuedConnection);
    }
}
}  // namespace

void ShellOpenWithDesktop(const std::string& target) {
    if (ClassifyShellTarget(target) == ShellAction::Nothing)
        return;
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        Carry(target, ChooseApplication(target));
        return;
    }
    ++pendingLookups;
    const std::lock_guard lock(lookupMutex);
    lookupQueue.push_back(target);
    if (lookupRunning)
        return;
    lookupRunning = true;
    // The global pool is waited for when the application object goes, so no lookup outlives it.
    QThreadPool::globalInstance()->start([application] { TakeLookups(application); });
}

void FinishDesktopLookups() {
    while (pendingLookups > 0) {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
}

}  // namespace platform
