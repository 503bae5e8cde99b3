#include "overview/Overview.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#include <vector>

#include "render/Geometry.h"
#include "render/SurfaceImage.h"

namespace overview {

namespace {

// A block of at most 16 by 16 pixels keeps each channel's sum within 16 bits.
constexpr int MaxBlock = 16;

using Bytes32 = uint8_t __attribute__((vector_size(32)));
using Words32 = uint16_t __attribute__((vector_size(64)));

// Adds the bytes of one row of pixels to the 16-bit sums of their channels, 32 at a time.
__attribute__((target_clones("avx2", "default"))) void AddRow(uint16_t* sums, const uint8_t* bytes, size_t count) {
  size_t i = 0;
  for (; i + 32 <= count; i += 32) {
    Bytes32 row;
    Words32 sum;
    std::memcpy(&row, bytes + i, sizeof row);
    std::memcpy(&sum, sums + i, sizeof sum);
    sum += __builtin_convertvector(row, Words32);
    std::memcpy(sums + i, &sum, sizeof sum);
  }
  for (; i < count; ++i) sums[i] += bytes[i];
}

// Each block of k by k pixels, fewer at the right and bottom edges, averaged into one pixel:
// one pass over the picture, a band of k rows at a time.
render::Surface ShrinkByBlocks(const render::Surface& picture, int k) {
  const int width = picture.Width(), height = picture.Height();
  render::Surface shrunk;
  shrunk.SetSize((width + k - 1) / k, (height + k - 1) / k);
  std::vector<uint16_t> sums(size_t(width) * 4);  // R, G, B and the unused byte of each column
  for (int band = 0; band < shrunk.Height(); ++band) {
    const int top = band * k, rows = std::min(k, height - top);
    std::fill(sums.begin(), sums.end(), uint16_t(0));
    for (int row = top; row < top + rows; ++row)
      AddRow(sums.data(), reinterpret_cast<const uint8_t*>(picture.Row(row)), sums.size());
    render::Color* target = shrunk.Row(band);
    for (int column = 0; column < shrunk.Width(); ++column) {
      const int left = column * k, columns = std::min(k, width - left);
      uint64_t lanes = 0;  // the four 16-bit sums side by side
      for (int x = left; x < left + columns; ++x) {
        uint64_t pixel;
        std::memcpy(&pixel, &sums[size_t(x) * 4], sizeof pixel);
        lanes += pixel;
      }
      const uint32_t count = uint32_t(rows * columns);
      auto average = [&](int lane) { return ((uint32_t(lanes >> (16 * lane)) & 0xFFFF) + count / 2) / count; };
      target[column] = average(0) | average(1) << 8 | average(2) << 16;
    }
  }
  return shrunk;
}

}  // namespace

Placement Fit(int mapWidth, int mapHeight, int width, int height) {
  if (mapWidth <= 0 || mapHeight <= 0 || width <= 0 || height <= 0) return {};
  // The side that fills the overview takes all of it; the other follows the picture's proportions.
  int fittedWidth = width, fittedHeight = int((int64_t(mapHeight) * width + mapWidth / 2) / mapWidth);
  if (fittedHeight > height) {
    fittedHeight = height;
    fittedWidth = int((int64_t(mapWidth) * height + mapHeight / 2) / mapHeight);
  }
  fittedWidth = std::clamp(fittedWidth, 1, width);
  fittedHeight = std::clamp(fittedHeight, 1, height);
  return {(width - fittedWidth) / 2, (height - fittedHeight) / 2, fittedWidth, fittedHeight};
}

render::Surface Scaled(const render::Surface& picture, int width, int height) {
  if (picture.Width() <= 0 || picture.Height() <= 0 || width <= 0 || height <= 0) return {};
  // Whole blocks first, in a pass of our own; what is left, less than halving, Qt's smooth scaling.
  const int k = std::min({MaxBlock, picture.Width() / width, picture.Height() / height});
  render::Surface shrunk;
  if (k >= 2) shrunk = ShrinkByBlocks(picture, k);
  const render::Surface& source = k >= 2 ? shrunk : picture;
  if (source.Width() == width && source.Height() == height) return k >= 2 ? shrunk : picture;
  const QImage image = render::SurfaceImage(source)
                           .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                           .convertToFormat(QImage::Format_RGBX8888);
  render::Surface scaled;
  scaled.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    render::Color* row = scaled.Row(y);
    std::memcpy(row, image.constScanLine(y), size_t(width) * 4);
    // The unused byte is 0 in every picture of ours, not the image's opaque 255.
    for (int x = 0; x < width; ++x) row[x] &= 0xFFFFFF;
  }
  return scaled;
}

render::Area ViewFrame(const render::Scene& scene, const Placement& placed) {
  const render::Surface& map = scene.ComposedMap;
  if (placed.width <= 0 || map.Width() <= 0 || map.Height() <= 0) return {};
  const render::Area view = render::VisibleView(scene);
  const int64_t x1 = std::clamp(view.x1 - scene.OriginX, 0, map.Width());
  const int64_t y1 = std::clamp(view.y1 - scene.OriginY, 0, map.Height());
  const int64_t x2 = std::clamp(view.x2 - scene.OriginX, 0, map.Width());
  const int64_t y2 = std::clamp(view.y2 - scene.OriginY, 0, map.Height());
  if (x1 >= x2 || y1 >= y2) return {};
  // Outwards to whole overview pixels, so the frame encloses all that shows.
  return {placed.left + int(x1 * placed.width / map.Width()), placed.top + int(y1 * placed.height / map.Height()),
          placed.left + int((x2 * placed.width + map.Width() - 1) / map.Width()),
          placed.top + int((y2 * placed.height + map.Height() - 1) / map.Height())};
}

MapPixel MapPixelAt(const render::Scene& scene, const Placement& placed, int x, int y) {
  const render::Surface& map = scene.ComposedMap;
  if (placed.width <= 0 || placed.height <= 0 || map.Width() <= 0 || map.Height() <= 0) return {};
  // The middle of the overview pixel, in map pixels.
  auto along = [](int offset, int placedSize, int mapSize) {
    const int64_t pixel = (int64_t(2) * offset + 1) * mapSize / (int64_t(2) * placedSize);
    return int(std::clamp<int64_t>(pixel, 0, mapSize - 1));
  };
  return {along(x - placed.left, placed.width, map.Width()), along(y - placed.top, placed.height, map.Height())};
}

bool Overview::Refresh(const render::Scene& scene, int width, int height) {
  const render::Surface& map = scene.ComposedMap;
  const uint64_t content = map.ContentId();
  if (content == madeFrom_ && width == madeForWidth_ && height == madeForHeight_) return false;
  placed_ = Fit(map.Width(), map.Height(), width, height);
  picture_ = Scaled(map, placed_.width, placed_.height);
  madeFrom_ = content;
  madeForWidth_ = width;
  madeForHeight_ = height;
  return true;
}

}  // namespace overview
