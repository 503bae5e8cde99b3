#pragma once
// Showing a render::Surface on a Qt widget without copying its pixels.

#include <QImage>

#include "render/Surface.h"

namespace render {

// A QImage that reads the surface's own memory: a 0x00BBGGRR pixel is, in little-endian memory,
// the bytes R, G, B, 0, which is QImage::Format_RGBX8888. The image is valid only as long as
// the surface keeps its size; a 0 x 0 surface gives a null image.
QImage SurfaceImage(const Surface& surface);

}  // namespace render
