// Heightmaps as the terrain panel loads them: a PNG file scaled smoothly to 256 x 256
// with its red and blue channels exchanged.
#pragma once

#include "terrain/terrain_grid.h"

#include <QImage>
#include <QString>

// The heightmap of a PNG file; a null image when the file cannot be read as PNG.
QImage load_heightmap_image(const QString& path);

// The image's pixels as 8-bit RGB.
RgbImage rgb_image(const QImage& image);
