#pragma once
#include <functional>
#include <string>

namespace platform {

// Starts playing a WAV file and returns at once; failures are ignored.
void PlaySoundAsync(const std::string& wavPath);
// Powers the machine off after a minute's countdown on screen that the user may cancel.
void RequestPowerOff();
// Asks the system to power off now (interactive, so the desktop may ask the user); the result is ignored.
void PowerOffNow();

// Test seams: tests install recording fakes so that nothing sounds and nothing powers off.
void SetSoundHandler(std::function<void(const std::string&)> handler);
void SetPowerOffHandler(std::function<void()> handler);

}  // namespace platform
