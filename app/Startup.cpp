#include "app/Startup.h"

#include <exception>

#include "app/WindowList.h"
#include "app/EncoderSetupPrompt.h"
#include "platform/Dialogs.h"
#include "platform/EncoderRegistration.h"

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
    } catch (const std::exception& e) {
        // Typically the encoder control that the main window hosts could not be created.
        DestroyForms();
        platform::MessageBox::ShowError(e.what());
        return StartupOutcome::EndedByFailure;
    }
    return StartupOutcome::Run;
}

}  // namespace app
