#include "terrain/heightmap_image.h"

QImage load_heightmap_image(const QString& path) {
    QImage file;
    if (!file.load(path, "PNG")) return {};
    QImage scaled = file.scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.convertToFormat(QImage::Format_RGB32).rgbSwapped();
}

RgbImage rgb_image(const QImage& image) {
    RgbImage out;
    if (image.isNull()) return out;
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    out.width = rgb.width();
    out.height = rgb.height();
    out.rgb.resize(size_t(out.width) * size_t(out.height) * 3);
    uint8_t* p = out.rgb.data();
    for (int y = 0; y < out.height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < out.width; ++x) {
            *p++ = uint8_t(qRed(line[x]));
            *p++ = uint8_t(qGreen(line[x]));
            *p++ = uint8_t(qBlue(line[x]));
        }
    }
    return out;
}
