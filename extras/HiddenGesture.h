#pragma once

namespace extras {

// Modifier keys held during a mouse event, independent of the widget toolkit.
struct ModifierKeys {
    bool shift = false;
    bool control = false;
    bool alt = false;
};

// The About window's hidden gesture, which uncovers the build-date memo:
//   1. click the company name;
//   2. press a mouse button on the picture inside its top-left corner (the first PressArea pixels from
//      the left and top edges) while holding Ctrl+Shift and nothing else;
//   3. release it inside the bottom-left corner (the first ReleaseArea pixels from the left edge and the
//      last ReleaseArea rows) while holding Shift+Alt and nothing else.
// Any press or release that does not continue the gesture starts it over.
class HiddenGesture {
  public:
    enum State { Idle = 0, CompanyClicked = 1, FirstStepDone = 2 };

    static constexpr int PressArea = 24;
    static constexpr int ReleaseArea = 24;

    // The picture's height, which places the release corner.
    explicit HiddenGesture(int pictureHeight) : pictureHeight_(pictureHeight) {}

    void CompanyClick() { state_ = CompanyClicked; }
    void Press(int x, int y, ModifierKeys keys);
    // True when this release completes the gesture; the state then stays at FirstStepDone.
    bool Release(int x, int y, ModifierKeys keys);

    State state() const { return state_; }

  private:
    int pictureHeight_;
    State state_ = Idle;
};

}  // namespace extras
