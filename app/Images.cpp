#include "app/Images.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <array>

// The artwork is compiled into this static library; its registration must be referenced explicitly or
// the linker drops it.
static void InitImageResources() {
    Q_INIT_RESOURCE(images);
}

namespace app {
namespace {
constexpr std::array<const char*, ImageCount> kFiles = {
    "home", "email", "help",        "add",  "delete", "convert",
    "stop", "fix",   "preferences", "play", "sound",  "turnoff",
};

QPixmap Render(QSvgRenderer& renderer, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return pixmap;
}

// Both image lists are rendered once; icons are cheap to copy afterwards.
const std::array<QIcon, ImageCount>& Icons() {
    static const std::array<QIcon, ImageCount> icons = [] {
        InitImageResources();
        std::array<QIcon, ImageCount> out;
        for (int i = 0; i < ImageCount; ++i) {
            QSvgRenderer renderer(QStringLiteral(":/images/%1.svg").arg(QLatin1String(kFiles[i])));
            if (!renderer.isValid())
                continue;
            out[i].addPixmap(Render(renderer, 16));
            out[i].addPixmap(Render(renderer, 48));
        }
        return out;
    }();
    return icons;
}
}  // namespace

QIcon ToggleImageIcon(int index) {
    QIcon icon = ImageListIcon(index);
    if (icon.isNull())
        return icon;
    // The menu's sizes at the usual scalings (1x, 1.5x, 2x); a larger request takes the plain 48 pixels.
    for (int size : {16, 24, 32}) {
        QPixmap checked = icon.pixmap(QSize(size, size), 1.0);
        QPainter painter(&checked);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        // A dark tick with a white rim in the lower right corner, readable on any part of the image.
        const QPolygonF tick({QPointF(6.5, 11.0), QPointF(9.5, 14.0), QPointF(15.0, 7.5)});
        for (const auto& [colour, width] :
             {std::pair{QColor(Qt::white), 4.5}, std::pair{QColor(0, 100, 0), 2.0}}) {
            painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(tick);
        }
        painter.end();
        icon.addPixmap(checked, QIcon::Normal, QIcon::On);
    }
    icon.addPixmap(icon.pixmap(QSize(48, 48), 1.0), QIcon::Normal, QIcon::On);
    return icon;
}

QIcon AppIcon() {
    InitImageResources();
    QSvgRenderer renderer(QStringLiteral(":/images/quenzor.svg"));
    QIcon icon;
    if (renderer.isValid()) {
        for (int size : {16, 24, 32, 48, 64, 128, 256})
            icon.addPixmap(Render(renderer, size));
    }
    return icon;
}

QIcon ImageListIcon(int index) {
    if (index < 0 || index >= ImageCount)
        return {};
    return Icons()[index];
}

}  // namespace app
