// Draws the program's installed artwork and sound at build time:
//   artwork faces <folder>   35 face icons 0.ico .. 34.ico (16, 32 and 48 pixels each)
//   artwork about <file>     the About window's picture (JPEG)
//   artwork chime <file>     the completion sound (WAV)
//   artwork appicon <svg> <folder>   the application icon drawn from its SVG at the desktop's sizes, as
//                                    <folder>/<size>x<size>/apps/<name>.png
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "AboutPicture.h"
#include "AppIcon.h"
#include "Chime.h"
#include "Faces.h"
#include "IcoWriter.h"

namespace {
bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    // Text is drawn without a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "appicon")
        return WriteAppIcons(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])) ? 0 : 1;
    if (argc != 3) {
        std::fprintf(stderr, "usage: artwork faces|about|chime <target>, artwork appicon <svg> <folder>\n");
        return 2;
    }
    const QString what = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);
    if (what == QLatin1String("faces")) {
        QDir().mkpath(target);
        for (int i = 0; i < 35; ++i) {
            const QByteArray ico = EncodeIco({DrawFace(i, 48), DrawFace(i, 32), DrawFace(i, 16)});
            if (!Write(QDir(target).filePath(QStringLiteral("%1.ico").arg(i)), ico))
                return 1;
        }
        return 0;
    }
    if (what == QLatin1String("about")) {
        if (!DrawAboutPicture().save(target, "JPEG", 92)) {
            std::fprintf(stderr, "artwork: cannot write %s\n", qPrintable(target));
            return 1;
        }
        return 0;
    }
    if (what == QLatin1String("chime"))
        return Write(target, MakeChimeWav()) ? 0 : 1;
    std::fprintf(stderr, "artwork: unknown kind %s\n", argv[1]);
    return 2;
}
