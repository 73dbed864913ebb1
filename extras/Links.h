#pragma once
#include <string>

class QString;
class QTextBrowser;
class QWidget;

namespace extras {

// The maker's FAQ page: its own fixed address, not derived from the home page.
inline constexpr const char* FaqAddress = "https://www.vastrel.example/Quenzor/faq.htm";

// What the Help menu's commands hand to the shell.
std::string HelpFileTarget(const std::string& programDirectory, const std::string& helpFile);
std::string MailTarget(const std::string& address);

// Hands the help file to the desktop; when nothing there opens its type, the same pages (the folder
// "help/" of the program directory) show in the program's own help window, owned by `owner`.
void OpenHelpFile(const std::string& programDirectory, const std::string& helpFile, QWidget* owner = nullptr);
void OpenHomePage(const std::string& homePage);
void OpenSupportMail(const std::string& supportMail);
void OpenFaq();

// Shows the local page file `path` in `browser`. A file that cannot be read, or holds nothing, shows a
// page saying so instead, naming it as `kind` ("help page", "page file"). Returns whether the file shows.
bool ShowLocalPage(QTextBrowser* browser, const QString& path, const QString& kind);

}  // namespace extras
