#pragma once
#include <string>

namespace extras {

// The maker's FAQ page: its own fixed address, not derived from the home page.
inline constexpr const char* FaqAddress = "https://www.vastrel.example/Quenzor/faq.htm";

// What the Help menu's commands hand to the shell.
std::string HelpFileTarget(const std::string& programDirectory, const std::string& helpFile);
std::string MailTarget(const std::string& address);

void OpenHelpFile(const std::string& programDirectory, const std::string& helpFile);
void OpenHomePage(const std::string& homePage);
void OpenSupportMail(const std::string& supportMail);
void OpenFaq();

}  // namespace extras
