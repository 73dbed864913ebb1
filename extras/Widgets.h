#pragma once
#include <QFont>
#include <QLabel>
#include <QString>

class QMouseEvent;

namespace extras {

// A label that reports a click (press and release on it with the left button), for link labels.
class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
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

}  // namespace extras
