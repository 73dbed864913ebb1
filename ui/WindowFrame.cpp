#include "ui/WindowFrame.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace ui {
namespace {
constexpr int kClassicBorder = 4;
constexpr int kClassicCaption = 26;

QMargins FrameOf(const QWidget& w) {
    const QWindow* handle = w.windowHandle();
    return handle != nullptr && w.isVisible() ? handle->frameMargins() : QMargins();
}

// The window's own frame once the window manager has framed it; before that, the frame of another window
// of the program on screen, since the window manager frames them alike.
QMargins FrameMargins(const QWidget& window) {
    const QMargins own = FrameOf(window);
    if (!own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = other->windowType();
        if (other == &window || (type != Qt::Window && type != Qt::Dialog))
            continue;
        const QMargins frame = FrameOf(*other);
        if (!frame.isNull())
            return frame;
    }
    return {};
}

QRect PlacementArea(const QWidget& window) {
    if (const QWidget* parent = window.parentWidget())
        return parent->window()->frameGeometry();
    // On the screen the user works on: that of the active window, when there is one.
    const QWidget* active = QApplication::activeWindow();
    const QScreen* screen = active != nullptr ? active->screen() : window.screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

class CentreOnShow : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Before the window is mapped: the window manager puts it straight where it belongs.
        if (event->type() == QEvent::Show && !event->spontaneous())
            CentreWindow(*static_cast<QWidget*>(watched));
        return false;
    }
};
}  // namespace

QSize ClientSizeOfOuter(QSize outer) {
    return outer - QSize(2 * kClassicBorder, kClassicCaption + 2 * kClassicBorder);
}

QRect CentredClientRect(QSize client, const QMargins& frame, const QRect& area) {
    const QSize outer = client.grownBy(frame);
    const QPoint frameTopLeft(area.x() + (area.width() - outer.width()) / 2,
                              area.y() + (area.height() - outer.height()) / 2);
    return {frameTopLeft + QPoint(frame.left(), frame.top()), client};
}

void CentreWindow(QWidget& window) {
    const QRect area = PlacementArea(window);
    if (area.isEmpty())
        return;
    window.setGeometry(CentredClientRect(window.size(), FrameMargins(window), area));
}

void CentreOnEveryShowing(QWidget& window) {
    window.installEventFilter(new CentreOnShow(&window));
}

}  // namespace ui
