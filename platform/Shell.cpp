#include "platform/Shell.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

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
// The execute bit alone proves little: on some mounted file systems every media file carries it. A program
// is a binary or a script that names its interpreter.
bool LooksLikeProgram(const std::string& path) {
    char head[4] = {};
    // Not blocking: a pipe under the name must not wait for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    return (n >= 4 && head[0] == 0x7f && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') ||
           (n >= 2 && head[0] == '#' && head[1] == '!');
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

ShellAction ClassifyShellTarget(const std::string& target) {
    if (target.empty())
        return ShellAction::Nothing;
    if (HasScheme(target))
        return ShellAction::OpenUrl;
    if (FileExists(target) && ::access(target.c_str(), X_OK) == 0 && LooksLikeProgram(target)) {
        return ShellAction::StartProgram;
    }
    if (FileExists(target) || DirectoryExists(target))
        return ShellAction::OpenLocal;
    return ShellAction::Nothing;
}

void StartProgramDetached(const std::string& path) {
    QProcess::startDetached(QString::fromStdString(path), {});
}

void ShellOpenWithDesktop(const std::string& target) {
    switch (ClassifyShellTarget(target)) {
        case ShellAction::OpenUrl:
            QDesktopServices::openUrl(QUrl(QString::fromStdString(target)));
            break;
        case ShellAction::OpenLocal:
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(target)));
            break;
        case ShellAction::StartProgram:
            StartProgramDetached(target);
            break;
        case ShellAction::Nothing:
            break;
    }
}

}  // namespace platform
