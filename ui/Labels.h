#pragma once
#include <QFont>
#include <QLabel>
#include <QString>

class QMouseEvent;

namespace ui {

// A label that acts as a link: it reports the mouse passing over it and leaving it, so that its owner can
// restyle it, and a click (a left-button press and release both on it).
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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
};

// A picture that reports every mouse press and release with its position and modifier keys.
class ImageLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void mousePressed(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);

  protected:
    void mousePressEvent(QMouseEvent* event) override { emit mousePressed(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { emit mouseReleased(event); }
};

// A font of the given family, pixel height and weight, the way the window designs state them.
QFont PixelFont(const QString& family, int pixelHeight, bool bold = false);

// A plain label at a design position, sized to its text, transparent so that overlapping labels show.
QLabel* MakeLabel(QWidget* parent, const char* objectName, int x, int y, const QFont& font,
                  const QColor& color);

// Shows a path in a label of fixed width: shortened in the middle with an ellipsis when it is too long,
// so that both the folder's start and the file's name stay in view; the whole path is the tooltip.
void SetElidedPath(QLabel& label, const QString& path);

}  // namespace ui
