#include "qtshared/image_files.h"

#include "core/atomic_file.h"
#include "core/text_file.h"

#include <QBuffer>
#include <QImageReader>
#include <QStringList>
#include <cstring>

QImage load_heightmap_image(const QString& path, std::string* why) {
    std::string bytes, reason;
    if (!read_file(path.toStdString(), bytes, &reason)) {
        if (why) *why = reason;
        return {};
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer); // whichever format Qt recognises in the file
    QImageReader::setAllocationLimit(heightmap_allocation_limit_mib);
    QImage file = reader.read();
    if (file.isNull()) {
        if (why) *why = "not an image it can take (" + reader.errorString().toStdString() + ")";
        return {};
    }
    if (file.hasAlphaChannel()) {
        // Alpha would darken the pixels as they are scaled and converted: dropped first.
        file = file.convertToFormat(QImage::Format_ARGB32);
        file.reinterpretAsFormat(QImage::Format_RGB32);
    }
    QImage scaled = file.scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.convertToFormat(QImage::Format_RGB32).rgbSwapped();
}

QString heightmap_file_filter() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << "*." + QString::fromLatin1(format);
    return "Images (" + patterns.join(' ') + ")";
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

QImage frame_image(const std::vector<uint8_t>& rgba, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull() || rgba.size() < size_t(w) * size_t(h) * 4) return {};
    for (int y = 0; y < h; ++y)
        std::memcpy(image.scanLine(y), rgba.data() + size_t(y) * size_t(w) * 4, size_t(w) * 4);
    // The bytes arrive as red, green, blue, alpha, where the image keeps blue first;
    // and OpenGL's first row is the bottom one.
    return image.rgbSwapped().mirrored();
}

IoResult save_png(const QImage& image, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return IoResult::failure("ERROR: could not encode the image for " + path);
    return write_file_atomically(path, bytes.toStdString());
}
