#include "conversion/CompletionActions.h"

#include "platform/Completion.h"
#include "platform/ProgramDir.h"

namespace conversion {

std::string CompletionSoundPath() {
    return platform::ProgramDirectory() + "Tada.wav";
}

void PerformCompletionActions(bool soundDown, bool turnOffDown) {
    if (soundDown)
        platform::PlaySoundAsync(CompletionSoundPath());
    if (turnOffDown)
        platform::RequestPowerOff();
}

}  // namespace conversion
