#include "AppIcon.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

QImage DrawAppIcon(const QString& svgFile, int size) {
    QSvgRenderer renderer(svgFile);
    if (!renderer.isValid())
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}

bool WriteAppIcons(const QString& svgFile, const QString& folder) {
    const QString name = QFileInfo(svgFile).completeBaseName() + QStringLiteral(".png");
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage icon = DrawAppIcon(svgFile, size);
        const QString dir = QDir(folder).filePath(QStringLiteral("%1x%1/apps").arg(size));
        if (icon.isNull() || !QDir().mkpath(dir) || !icon.save(QDir(dir).filePath(name), "PNG")) {
            std::fprintf(stderr, "artwork: cannot draw %s at %d pixels into %s\n", qPrintable(svgFile), size,
                         qPrintable(dir));
            return false;
        }
    }
    return true;
}
