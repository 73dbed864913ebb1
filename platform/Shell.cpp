#include "platform/Shell.h"

#include <unistd.h>

#include <QDesktopServices>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

#include "platform/Paths.h"

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

void SetShellOpenHandler(ShellOpenHandler handler) { Handler() = std::move(handler); }

void ShellOpen(const std::string& target) {
    if (Handler()) {
        Handler()(target);
        return;
    }
    ShellOpenWithDesktop(target);
}

void ShellOpenWithDesktop(const std::string& target) {
    if (target.empty()) return;
    if (HasScheme(target)) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(target)));
        return;
    }
    if (FileExists(target) && ::access(target.c_str(), X_OK) == 0) {
        // A program: started on its own, no arguments, no shell in between.
        QProcess::startDetached(QString::fromStdString(target), {});
        return;
    }
    if (FileExists(target) || DirectoryExists(target)) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(target)));
    }
}

}  // namespace platform
