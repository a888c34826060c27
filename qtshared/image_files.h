// Images as files: heightmaps read as the terrain page reads them, and the rendered
// frame saved as PNG. Qt's image classes only, no widgets.
#pragma once

#include "core/colour.h"
#include "core/io_result.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

// Images decoded for a heightmap may take this much memory (Qt's own default, 128 MiB,
// refuses a 5,800 x 5,800 colour image): 16,384 x 16,384 pixels in colour with alpha,
// larger in grey.
constexpr int heightmap_allocation_limit_mib = 1024;

// The heightmap of an image file of any format Qt reads (PNG, BMP, JPEG, TIFF, ...),
// scaled smoothly to 256 x 256 with its red and blue channels exchanged. Transparency is ignored: a
// pixel's height is its colour's. A null image when the file cannot be read, with `why` (when
// given) saying why: the file's own reason ("No such file or directory"), or that it is no image it
// can take, with Qt's reason.
QImage load_heightmap_image(const QString& path, std::string* why = nullptr);
// The file dialog filter of the formats load_heightmap_image reads.
QString heightmap_file_filter();

// The image's pixels as 8-bit RGB.
RgbImage rgb_image(const QImage& image);

// A 32-bit image of w x h from red, green, blue, alpha bytes in OpenGL's row order
// (bottom row first), as the view reads its frame back.
QImage frame_image(const std::vector<uint8_t>& rgba, int w, int h);

// Saves the image as PNG through a temporary file, so that a failed save leaves an
// existing file as it was. The error names the file and the cause.
IoResult save_png(const QImage& image, const std::string& path);
