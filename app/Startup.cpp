#include "app/Startup.h"

#include <exception>
#include <filesystem>

#include "app/EncoderSetupPrompt.h"
#include "app/MainWindow.h"
#include "app/WindowList.h"
#include "jobs/AddSources.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/EncoderRegistration.h"
#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"
#include "settings/Settings.h"

namespace app {

bool EncoderReady = false;
std::string RealProducerPath;

namespace {
PromptRunner& Runner() {
    static PromptRunner runner;
    return runner;
}

std::function<void()>& Creator() {
    static std::function<void()> creator;
    return creator;
}

void ShowSetupPrompt() {
    TTempForm prompt;
    if (Runner()) {
        Runner()(prompt);
    } else {
        prompt.exec();
    }
    if (prompt.result() == QDialog::Accepted)
        EncoderReady = true;
}

bool UserWantsToGoOn() {
    platform::MessageRequest question;
    question.title = "Confirm";
    question.text = IncompleteEncoderQuestion;
    question.icon = platform::MsgIcon::Question;
    question.buttons = {platform::MsgButton::Yes, platform::MsgButton::No};
    question.defaultButton = platform::MsgButton::Yes;
    question.escapeButton = platform::MsgButton::No;
    // Only No ends; the close box goes on like Yes.
    return platform::MessageBox::Show(question) != platform::MsgButton::No;
}
}  // namespace

void SetPromptRunner(PromptRunner runner) {
    Runner() = std::move(runner);
}
void SetFormsCreator(std::function<void()> creator) {
    Creator() = std::move(creator);
}

StartupOutcome RunStartup() {
    EncoderReady = false;
    RealProducerPath = platform::GetRealProducerPath();
    EncoderReady = platform::IsEncoderInstalled();
    if (RealProducerPath.empty())
        ShowSetupPrompt();
    RealProducerPath = platform::GetRealProducerPath();
    if (RealProducerPath.empty())
        return StartupOutcome::EndedSilently;
    if (!EncoderReady && !UserWantsToGoOn())
        return StartupOutcome::EndedByAnswer;
    try {
        if (Creator()) {
            Creator()();
        } else {
            CreateForms();
        }
    } catch (...) {
        // Typically the encoder control that the main window hosts could not be created.
        DestroyForms();
        platform::ReportCurrentException();
        return StartupOutcome::EndedByFailure;
    }
    return StartupOutcome::Run;
}

std::vector<std::string> CommandLineNames(const std::vector<std::string>& arguments) {
    std::vector<std::string> names;
    bool options = true;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (options && argument == "--") {
            options = false;
            continue;
        }
        if ((options && argument.starts_with('-')) || argument.empty())
            continue;
        // Paths are bytes on POSIX: the clean-up touches "/", "." and ".." only.
        std::error_code error;
        std::filesystem::path full = std::filesystem::absolute(argument, error);
        if (error)
            full = argument;
        const std::string clean = full.lexically_normal().native();
        names.push_back(clean.size() > 1 ? platform::RemoveTrailingDelimiter(clean) : clean);
    }
    return names;
}

std::vector<std::string> CommandLineFiles(const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    for (const std::string& path : CommandLineNames(arguments)) {
        if (platform::DirectoryExists(path)) {
            const std::vector<std::string> found = jobs::MediaFilesAmong({path});
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(path);
        }
    }
    return files;
}

void AddCommandLineFiles(const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    std::string missing;
    for (const std::string& file : CommandLineFiles(arguments)) {
        if (platform::FileExists(file)) {
            files.push_back(file);
        } else {
            missing += "\n" + platform::ReadableName(file);
        }
    }
    // Named once, together, and left out: a row for a file that is not there could only fail.
    if (!missing.empty())
        platform::MessageBox::ShowMessage("These files were not found and are not added:" + missing);
    if (!files.empty() && Forms.MainForm != nullptr)
        Forms.MainForm->Jobs().AddChosenFiles(files, Forms.MainForm->Settings());
}

}  // namespace app
