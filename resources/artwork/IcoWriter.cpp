#include "IcoWriter.h"

#include "LittleEndian.h"

namespace {
QByteArray Bitmap(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    QByteArray out;
    PutU32(out, 40);  // header size
    PutU32(out, quint32(w));
    PutU32(out, quint32(h * 2));  // colour rows plus mask rows
    PutU16(out, 1);               // planes
    PutU16(out, 32);              // bits per pixel
    PutU32(out, 0);               // no compression
    PutU32(out, quint32(w * h * 4 + maskStride * h));
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = h - 1; y >= 0; --y) {  // bottom-up
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            PutU32(out, row[x]);  // 0xAARRGGBB stored little-endian: B G R A
    }
    for (int y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        QByteArray mask(maskStride, '\0');
        for (int x = 0; x < w; ++x) {
            if (qAlpha(row[x]) < 128)
                mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(mask);
    }
    return out;
}
}  // namespace

QByteArray EncodeIco(const std::vector<QImage>& images) {
    std::vector<QByteArray> bitmaps;
    for (const QImage& image : images)
        bitmaps.push_back(Bitmap(image));
    QByteArray out;
    PutU16(out, 0);  // reserved
    PutU16(out, 1);  // icon
    PutU16(out, quint16(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int w = images[i].width();
        const int h = images[i].height();
        out.append(char(w >= 256 ? 0 : w));
        out.append(char(h >= 256 ? 0 : h));
        out.append('\0');  // no palette
        out.append('\0');
        PutU16(out, 1);
        PutU16(out, 32);
        PutU32(out, quint32(bitmaps[i].size()));
        PutU32(out, offset);
        offset += quint32(bitmaps[i].size());
    }
    for (const QByteArray& b : bitmaps)
        out.append(b);
    return out;
}
