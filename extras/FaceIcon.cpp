#include "extras/FaceIcon.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <chrono>

namespace extras {

std::string FaceIconPath(const std::string& programDirectory, int index) {
    return programDirectory + "SystemIco/" + std::to_string(index) + ".ico";
}

FaceIconPicker FaceIconPicker::FromClock() {
    return FaceIconPicker(
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
}

int FaceIconPicker::NextIndex() {
    std::uniform_int_distribution<int> pick(0, FaceIconCount - 1);
    return pick(engine_);
}

bool ShowFaceIcon(QLabel* face, const std::string& iconPath) {
    if (!face)
        return false;
    // An icon file holds several sizes: show the largest that fits the image area, or scale the
    // largest down when none fits.
    const QSize box = face->size();
    // Plain files only: opening a pipe under the icon's name would wait for a writer forever.
    const QString file = QString::fromStdString(iconPath);
    if (!QFileInfo(file).isFile()) {
        face->clear();
        return false;
    }
    QImageReader reader(file);
    QImage fitting, largest;
    do {
        QImage image = reader.read();
        if (image.isNull())
            continue;
        if (image.width() > largest.width())
            largest = image;
        const bool fits = image.width() <= box.width() && image.height() <= box.height();
        if (fits && image.width() > fitting.width())
            fitting = image;
    } while (reader.jumpToNextImage());
    QImage best = fitting.isNull() ? largest : fitting;
    if (best.isNull()) {
        face->clear();
        return false;
    }
    if (best.width() > box.width() || best.height() > box.height()) {
        best = best.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    face->setPixmap(QPixmap::fromImage(best));
    return true;
}

}  // namespace extras
