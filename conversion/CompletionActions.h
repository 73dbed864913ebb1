#pragma once
#include <string>

namespace conversion {

// The wave file played when a run completes: "Tada.wav" in the program directory.
std::string CompletionSoundPath();

// What a complete run does at its end, in this order: start the sound (it plays on while the program
// goes on), then ask the system to power off. A run ended by Stop, Exit or an error does neither.
void PerformCompletionActions(bool soundDown, bool turnOffDown);

}  // namespace conversion
