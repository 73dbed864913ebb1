#include "extras/Links.h"

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

}  // namespace extras
