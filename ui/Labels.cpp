#include "ui/Labels.h"

#include <QMouseEvent>

namespace ui {

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {
    // Moves are reported without a button held, so the owner can show the link as hovered.
    setMouseTracking(true);
}

void TLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    emit mouseMoved();
}

void TLinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    emit mouseLeft();
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

QFont PixelFont(const QString& family, int pixelHeight, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* objectName, int x, int y, const QFont& font,
                  const QColor& color) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->move(x, y);
    return label;
}

void SetElidedPath(QLabel& label, const QString& path) {
    label.setToolTip(path);
    label.setText(label.fontMetrics().elidedText(path, Qt::ElideMiddle, label.contentsRect().width()));
}

}  // namespace ui
