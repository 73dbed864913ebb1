#include "extras/FixLauncher.h"

#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/core/Paths.h"

namespace extras {

FixDecision DecideFix() {
    std::string path =
        platform::RegReadStringStrict(platform::RegRoot::LocalMachine, MorbeckKey, MorbeckPathValue);
    if (path.empty() || !platform::FileExists(path))
        return {};
    return {FixDecision::Action::StartTool, std::move(path)};
}

void RunFixCommand(const std::function<void()>& showPrompt) {
    FixDecision decision;
    try {
        decision = DecideFix();
    } catch (const platform::RegistryError& e) {
        platform::MessageBox::ShowError(e.what());
        return;
    }
    if (decision.action == FixDecision::Action::StartTool) {
        platform::RunProgram(decision.toolPath);
    } else if (showPrompt) {
        showPrompt();
    }
}

}  // namespace extras
