#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
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

void ShellOpenWithDesktop(const std::string& target) {
    switch (ClassifyShellTarget(target)) {
        case ShellAction::OpenUrl:
            QDesktopServices::openUrl(QUrl(QString::fromStdString(target)));
            break;
        case ShellAction::OpenLocal:
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(target)));
            break;
        case ShellAction::Nothing:
            break;
    }
}

}  // namespace platform
