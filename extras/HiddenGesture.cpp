#include "extras/HiddenGesture.h"

namespace extras {
namespace {
bool Exactly(ModifierKeys held, ModifierKeys wanted) {
    return held.shift == wanted.shift && held.control == wanted.control && held.alt == wanted.alt;
}
}  // namespace

void HiddenGesture::Press(int x, int y, ModifierKeys keys) {
    const bool inArea = x >= 0 && x < PressArea && y >= 0 && y < PressArea;
    const bool rightKeys = Exactly(keys, {.shift = true, .control = true, .alt = false});
    state_ = (state_ == CompanyClicked && inArea && rightKeys) ? FirstStepDone : Idle;
}

bool HiddenGesture::Release(int x, int y, ModifierKeys keys) {
    const bool inArea = x >= 0 && x < ReleaseArea && y >= pictureHeight_ - ReleaseArea && y < pictureHeight_;
    const bool rightKeys = Exactly(keys, {.shift = true, .control = false, .alt = true});
    if (state_ == FirstStepDone && inArea && rightKeys)
        return true;
    state_ = Idle;
    return false;
}

}  // namespace extras
