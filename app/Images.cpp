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

QIcon ImageListIcon(int index) {
    if (index < 0 || index >= ImageCount)
        return {};
    return Icons()[index];
}

}  // namespace app
