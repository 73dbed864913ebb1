#include "Faces.h"

#include <QPainter>
#include <QPainterPath>

namespace {
const QColor FaceColours[7] = {
    QColor(255, 214, 64),   // sunflower
    QColor(255, 160, 72),   // tangerine
    QColor(140, 214, 110),  // leaf
    QColor(110, 190, 245),  // sky
    QColor(245, 150, 190),  // rose
    QColor(190, 160, 240),  // lavender
    QColor(225, 190, 140),  // sand
};
const QColor Ink(40, 32, 28);

void Eyes(QPainter& p, int style) {
    p.setPen(QPen(Ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    switch (style) {
        case 0:  // round dots
            p.setBrush(Ink);
            p.drawEllipse(QPointF(11, 12.5), 1.9, 2.2);
            p.drawEllipse(QPointF(21, 12.5), 1.9, 2.2);
            break;
        case 1:  // happy arcs
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(8, 11, 6, 5), 0, 180 * 16);
            p.drawArc(QRectF(18, 11, 6, 5), 0, 180 * 16);
            break;
        case 2:  // wink
            p.setBrush(Ink);
            p.drawEllipse(QPointF(11, 12.5), 1.9, 2.2);
            p.drawLine(QPointF(18.5, 13), QPointF(23.5, 13));
            break;
        case 3:  // big eyes with highlights
            p.setBrush(Qt::white);
            p.setPen(QPen(Ink, 1.0));
            p.drawEllipse(QPointF(11, 12.5), 3.2, 3.6);
            p.drawEllipse(QPointF(21, 12.5), 3.2, 3.6);
            p.setBrush(Ink);
            p.drawEllipse(QPointF(11.6, 13), 1.7, 1.9);
            p.drawEllipse(QPointF(21.6, 13), 1.7, 1.9);
            break;
        default:  // round glasses
            p.setBrush(QColor(255, 255, 255, 110));
            p.setPen(QPen(Ink, 1.3));
            p.drawEllipse(QPointF(11, 12.5), 3.8, 3.8);
            p.drawEllipse(QPointF(21, 12.5), 3.8, 3.8);
            p.drawLine(QPointF(14.8, 12.5), QPointF(17.2, 12.5));
            p.setBrush(Ink);
            p.drawEllipse(QPointF(11, 12.8), 1.3, 1.3);
            p.drawEllipse(QPointF(21, 12.8), 1.3, 1.3);
            break;
    }
}

void Mouth(QPainter& p, int style) {
    p.setPen(QPen(Ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    switch (style) {
        case 0:  // smile
            p.drawArc(QRectF(9, 13, 14, 10), 200 * 16, 140 * 16);
            break;
        case 1: {  // open grin
            QPainterPath grin;
            grin.moveTo(9.5, 19);
            grin.cubicTo(11, 26.5, 21, 26.5, 22.5, 19);
            grin.closeSubpath();
            p.setBrush(QColor(150, 40, 50));
            p.setPen(QPen(Ink, 1.2));
            p.drawPath(grin);
            p.setBrush(Qt::white);
            p.setPen(Qt::NoPen);
            p.drawRect(QRectF(11.5, 19.3, 9, 1.8));
            break;
        }
        case 2:  // surprised "o"
            p.setBrush(QColor(150, 40, 50));
            p.setPen(QPen(Ink, 1.2));
            p.drawEllipse(QPointF(16, 22), 2.6, 3.0);
            break;
        case 3:  // content, with a tongue
            p.drawArc(QRectF(10, 15, 12, 8), 200 * 16, 140 * 16);
            p.setBrush(QColor(235, 90, 110));
            p.setPen(QPen(Ink, 0.8));
            p.drawChord(QRectF(16, 19.5, 5, 5), 180 * 16, 180 * 16);
            break;
        default:  // calm smirk
            p.drawArc(QRectF(12, 15, 12, 7), 220 * 16, 100 * 16);
            break;
    }
}
}  // namespace

QImage DrawFace(int index, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    const QColor face = FaceColours[index % 7];
    QRadialGradient shade(QPointF(12, 10), 20);
    shade.setColorAt(0, face.lighter(125));
    shade.setColorAt(1, face.darker(112));
    p.setBrush(shade);
    p.setPen(QPen(face.darker(170), 1.2));
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));

    if (index % 3 == 0) {  // rosy cheeks
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 90, 90, 90));
        p.drawEllipse(QPointF(7.5, 18.5), 2.6, 1.8);
        p.drawEllipse(QPointF(24.5, 18.5), 2.6, 1.8);
    }
    if (index % 4 == 1) {  // raised brows
        p.setPen(QPen(Ink, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 7.5), QPointF(13, 6.5));
        p.drawLine(QPointF(19, 6.5), QPointF(24, 7.5));
    }
    Eyes(p, index % 5);
    Mouth(p, index / 7);
    return image;
}
