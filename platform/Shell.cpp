#include "platform/Shell.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include "platform/DesktopApps.h"
#include "platform/Dialogs.h"
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
    QProcess::startDetached(QFileInfo(QString::fromStdString(path)).absoluteFilePath(), {});
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
    return "No program on this computer opens " + target + " (" + type + ").";
}
}  // namespace

void ShellOpenWithDesktop(const std::string& target) {
    std::string type;
    std::string argument = target;
    switch (ClassifyShellTarget(target)) {
        case ShellAction::OpenUrl: {
            const QUrl url(QString::fromStdString(target));
            if (url.isLocalFile()) {
                argument = url.toLocalFile().toStdString();
                type = MimeTypeOfFile(argument);
            } else {
                type = "x-scheme-handler/" + url.scheme().toLower().toStdString();
            }
            break;
        }
        case ShellAction::OpenLocal:
            type = MimeTypeOfFile(target);
            break;
        case ShellAction::Nothing:
            return;
    }
    // The desktop's own choice of application, looked up here rather than through a helper program, so
    // that this program is never chosen for its own types and a missing application is said aloud.
    const std::vector<DesktopApplication> applications = DesktopApplicationsForType(type);
    if (applications.empty()) {
        MessageBox::ShowMessage(NoApplicationMessage(target, type));
        return;
    }
    const DesktopApplication& chosen = applications.front();
    const std::vector<std::string> command = DesktopExecArguments(chosen.exec, argument);
    QStringList arguments;
    for (std::size_t i = 1; i < command.size(); ++i)
        arguments << QString::fromStdString(command[i]);
    if (command.empty() || !QProcess::startDetached(QString::fromStdString(command.front()), arguments))
        MessageBox::ShowMessage("Cannot start " + (chosen.name.empty() ? chosen.id : chosen.name) +
                                " to open " + target + ".");
}

}  // namespace platform
