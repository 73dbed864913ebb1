#pragma once
#include <QLabel>

namespace app {

// A label that reports the mouse passing over it, leaving it and clicking it, so that its owner can
// style it as a link and act on the click.
class TLinkLabel : public QLabel {
    Q_OBJECT
  public:
    explicit TLinkLabel(QWidget* parent = nullptr);

  signals:
    void mouseMoved();
    void mouseLeft();
    void clicked();

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace app
