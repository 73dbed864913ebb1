#include "AboutPicture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
constexpr int W = 223;
constexpr int H = 358;

void Background(QPainter& p) {
    QLinearGradient sky(0, 0, 0, H);
    sky.setColorAt(0.0, QColor(16, 40, 86));
    sky.setColorAt(0.55, QColor(24, 92, 132));
    sky.setColorAt(1.0, QColor(18, 150, 150));
    p.fillRect(0, 0, W, H, sky);
    // Soft light circles.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        p.setBrush(QColor(255, 255, 255, 10 + 4 * i));
        const double r = 18 + 9 * i;
        p.drawEllipse(QPointF(40 + 25 * std::sin(i * 1.7), 60 + 38 * i), r, r);
    }
}

void FilmStrip(QPainter& p) {
    p.save();
    p.translate(W / 2.0, 92);
    p.rotate(-14);
    const QRectF strip(-150, -30, 300, 60);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 28, 230));
    p.drawRect(strip);
    p.setBrush(QColor(230, 230, 235));
    for (double x = -146; x < 150; x += 14) {
        p.drawRoundedRect(QRectF(x, -26, 8, 7), 1.5, 1.5);
        p.drawRoundedRect(QRectF(x, 19, 8, 7), 1.5, 1.5);
    }
    const QColor frames[] = {QColor(255, 190, 70), QColor(250, 120, 90), QColor(120, 200, 250),
                             QColor(150, 230, 140), QColor(230, 150, 230)};
    int k = 0;
    for (double x = -140; x < 140; x += 56, ++k) {
        QLinearGradient g(x, -16, x + 48, 16);
        g.setColorAt(0, frames[k % 5].lighter(130));
        g.setColorAt(1, frames[k % 5].darker(120));
        p.setBrush(g);
        p.drawRect(QRectF(x, -15, 48, 30));
    }
    p.restore();
}

void SoundWave(QPainter& p) {
    for (int layer = 0; layer < 3; ++layer) {
        QPainterPath wave;
        const double base = 182 + layer * 9;
        wave.moveTo(0, base);
        for (int x = 0; x <= W; x += 2) {
            const double envelope = 0.35 + 0.65 * std::sin(M_PI * x / W);
            wave.lineTo(x, base + envelope * (16 - 4 * layer) * std::sin(x / (9.0 + 3 * layer) + layer));
        }
        p.setPen(QPen(QColor(140, 235, 255, 200 - 50 * layer), 2.2 - 0.5 * layer));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    }
}

void Mark(QPainter& p) {
    const QPointF centre(W / 2.0, 262);
    QRadialGradient disc(centre - QPointF(10, 12), 52);
    disc.setColorAt(0, QColor(255, 236, 160));
    disc.setColorAt(1, QColor(230, 140, 40));
    p.setPen(QPen(QColor(255, 255, 255, 200), 3));
    p.setBrush(disc);
    p.drawEllipse(centre, 40, 40);
    // A play triangle inside the disc: the mark of a media program.
    QPainterPath play;
    play.moveTo(centre + QPointF(-12, -18));
    play.lineTo(centre + QPointF(20, 0));
    play.lineTo(centre + QPointF(-12, 18));
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 50, 20));
    p.drawPath(play.translated(1.5, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(play);
}

void Title(QPainter& p) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    font.setBold(true);
    p.setFont(font);
    const QRectF box(0, 308, W, 34);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(box.translated(2, 2), Qt::AlignCenter, QStringLiteral("Quenzor"));
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, QStringLiteral("Quenzor"));
    font.setPixelSize(11);
    font.setBold(false);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(font);
    p.setPen(QColor(220, 245, 250));
    p.drawText(QRectF(0, 20, W, 16), Qt::AlignCenter, QStringLiteral("MEDIA  TO  REALMEDIA"));
}
}  // namespace

QImage DrawAboutPicture() {
    QImage image(W, H, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    Background(p);
    FilmStrip(p);
    SoundWave(p);
    Mark(p);
    Title(p);
    return image;
}
