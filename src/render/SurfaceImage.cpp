#include "render/SurfaceImage.h"

#include <QtEndian>

namespace render {

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "0x00BBGGRR pixels read as RGBX bytes only on little-endian machines");

QImage SurfaceImage(const Surface& surface) {
  if (surface.Width() <= 0 || surface.Height() <= 0) return QImage();
  const auto* bits = reinterpret_cast<const uchar*>(surface.Row(0));
  return QImage(bits, surface.Width(), surface.Height(), qsizetype(surface.Width()) * 4,
                QImage::Format_RGBX8888);
}

}  // namespace render
