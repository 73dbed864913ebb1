#include "extras/Links.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

#include "extras/HelpWindow.h"
#include "platform/DesktopApps.h"
#include "platform/Shell.h"

namespace extras {

// The help file's name begins with a delimiter and the program directory ends with one; the doubled
// delimiter names the same file, so the two are joined as they are.
std::string HelpFileTarget(const std::string& programDirectory, const std::string& helpFile) {
    return programDirectory + helpFile;
}

std::string MailTarget(const std::string& address) {
    return "mailto:" + address;
}

void OpenHelpFile(const std::string& programDirectory, const std::string& helpFile, QWidget* owner) {
    const std::string target = HelpFileTarget(programDirectory, helpFile);
    // A stock desktop has no viewer for compiled help, and handing it over there would do nothing at all.
    if (platform::DesktopHasApplicationFor(target)) {
        platform::ShellOpen(target);
        return;
    }
    ShowHelpWindow(programDirectory + "help/", owner);
}

void OpenHomePage(const std::string& homePage) {
    platform::ShellOpen(homePage);
}

void OpenSupportMail(const std::string& supportMail) {
    platform::ShellOpen(MailTarget(supportMail));
}

void OpenFaq() {
    platform::ShellOpen(FaqAddress);
}

bool ShowLocalPage(QTextBrowser* browser, const QString& path, const QString& kind) {
    const QFileInfo info(path);
    if (info.isFile() && info.isReadable()) {
        browser->setSource(QUrl::fromLocalFile(info.absoluteFilePath()), QTextDocument::HtmlResource);
        if (!browser->document()->isEmpty())
            return true;
    }
    browser->setSource(QUrl());
    browser->setHtml(QStringLiteral("<h3>This page cannot be displayed</h3>"
                                    "<p>The %1 <b>%2</b> could not be opened.</p>"
                                    "<p>It should be installed with the program; installing the program "
                                    "again restores it.</p>")
                         .arg(kind.toHtmlEscaped(), path.toHtmlEscaped()));
    return false;
}

}  // namespace extras
