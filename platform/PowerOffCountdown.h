#pragma once
#include <QDialog>
#include <functional>

class QLabel;
class QTimer;

namespace platform {

// The last word before the machine powers off at the end of a run: counts down a minute, then powers
// off; Cancel (or Esc, or the close box) leaves the machine on, so a tick forgotten on the menu costs no
// one their unsaved work.
class PowerOffCountdown : public QDialog {
    Q_OBJECT
  public:
    PowerOffCountdown(int seconds, std::function<void()> powerOff, QWidget* parent = nullptr);

    int SecondsLeft() const { return left_; }
    // One second gone; the last one powers off. The timer calls it; tests call it directly.
    void Tick();

  private:
    void ShowLeft();
    void PowerOffNow();

    int left_;
    bool ended_ = false;
    std::function<void()> powerOff_;
    QLabel* text_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace platform
