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

// A desktop notification (the freedesktop notification service on the session bus) with the program's
// name and icon; nothing happens where no such service runs.
void NotifyDesktop(const std::string& summary, const std::string& body);

// Test seams: tests install recording fakes so that nothing sounds, nothing powers off and nothing pops up.
void SetSoundHandler(std::function<void(const std::string&)> handler);
void SetPowerOffHandler(std::function<void()> handler);
void SetNotifyHandler(std::function<void(const std::string& summary, const std::string& body)> handler);

}  // namespace platform
