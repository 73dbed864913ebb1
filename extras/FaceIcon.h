#pragma once
#include <cstdint>
#include <random>
#include <string>

class QLabel;

namespace extras {

// The installed face icons: SystemIco/0.ico to SystemIco/34.ico in the program directory.
inline constexpr int FaceIconCount = 35;

std::string FaceIconPath(const std::string& programDirectory, int index);

// Draws a fresh icon number (0..34) for each window that asks.
class FaceIconPicker {
  public:
    explicit FaceIconPicker(std::uint64_t seed) : engine_(seed) {}
    // Seeded from the clock, so every start shows other faces.
    static FaceIconPicker FromClock();

    int NextIndex();
    std::string NextPath(const std::string& programDirectory) {
        return FaceIconPath(programDirectory, NextIndex());
    }

  private:
    std::mt19937_64 engine_;
};

// Shows the icon file in a window's face image. A missing or unreadable file leaves the image empty; the
// window works on without it. Returns whether an icon was shown.
bool ShowFaceIcon(QLabel* face, const std::string& iconPath);

}  // namespace extras
