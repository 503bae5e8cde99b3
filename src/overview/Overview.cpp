#include "overview/Overview.h"

#include <QImage>
#include <immintrin.h>
#include <algorithm>
#include <functional>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "render/Geometry.h"
#include "render/Markers.h"
#include "render/SurfaceImage.h"

#if TIRMAGOR_THREADS
#include <thread>
#endif

namespace overview {

namespace {

// Adds the bytes of one row of pixels to the 16-bit sums of their channels.
void AddRowPlain(uint16_t* sums, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) sums[i] += bytes[i];
}

// The same sixteen bytes at a time, each widened to 16 bits as it is loaded.
__attribute__((target("avx2"))) void AddRowAvx2(uint16_t* sums, const uint8_t* bytes, size_t count) {
  size_t i = 0;
  for (; i + 32 <= count; i += 32) {
    const __m256i low = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)));
    const __m256i high = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 16)));
    auto* sum = reinterpret_cast<__m256i*>(sums + i);
    _mm256_storeu_si256(sum, _mm256_add_epi16(_mm256_loadu_si256(sum), low));
    _mm256_storeu_si256(sum + 1, _mm256_add_epi16(_mm256_loadu_si256(sum + 1), high));
  }
  AddRowPlain(sums + i, bytes + i, count - i);
}

void AddRow(uint16_t* sums, const uint8_t* bytes, size_t count) {
  static const auto chosen = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? AddRowAvx2 : AddRowPlain;
  }();
  chosen(sums, bytes, count);
}

// Rounded division of a block's channel sum by its pixel count, by a multiplication: exact for
// sums below 2^16 and counts up to 2^8, and many times faster than dividing each channel.
class Divider {
 public:
  explicit Divider(uint32_t count) : half_(count / 2), factor_(((uint64_t(1) << Shift) + count - 1) / count) {}
  uint32_t Average(uint64_t sum) const { return uint32_t(((sum + half_) * factor_) >> Shift); }

 private:
  static constexpr int Shift = 40;
  uint64_t half_;
  uint64_t factor_;
};

// A shrink in one pass has blocks of at most this many pixels each way, so that a block's
// channel sums stay within 16 bits.
constexpr int MaxBlock = 16;

// Where each output column starts in the map, and where the last ends: column c takes map
// columns [c * W / width, (c + 1) * W / width).
std::vector<int> ColumnStarts(int mapWidth, int width) {
  std::vector<int> starts(size_t(width) + 1);
  for (int c = 0; c <= width; ++c) starts[size_t(c)] = int(int64_t(c) * mapWidth / width);
  return starts;
}

// Output columns [first, end) of one band.
struct ColumnRun {
  int first, end;
};
// The runs of output columns of band [top, bottom) of map rows to work out.
using BandRuns = std::function<void(int top, int bottom, std::vector<ColumnRun>& runs)>;

// Output pixel (c, r) of `shrunk` is the average of the map pixels in columns
// [c * W / width, (c + 1) * W / width) and rows [r * H / height, (r + 1) * H / height), rounded
// down: the pixels whose middles fall inside its part of the picture. One pass over the
// picture, a band of rows at a time; the two halves of the bands on two processor cores.
// With `unchanged`, only the columns that `changed` names are worked out; the rest are copied
// from it.
void Shrink(const render::Surface& picture, int width, int height, render::Surface& shrunk,
            const render::Surface* unchanged = nullptr, const BandRuns* changed = nullptr) {
  const int mapWidth = picture.Width(), mapHeight = picture.Height();
  if (shrunk.Width() != width || shrunk.Height() != height) shrunk.SetSize(width, height);  // every pixel is written
  // Taken once: the halves must not both touch the surface, whose Row() marks it changed.
  render::Color* const out = shrunk.Row(0);
  const std::vector<int> columnStart = ColumnStarts(mapWidth, width);
  auto shrinkBands = [&](int firstBand, int endBand) {
    std::vector<uint16_t> sums(size_t(mapWidth) * 4);  // R, G, B and the unused byte of each column
    std::vector<ColumnRun> runs;
    for (int band = firstBand; band < endBand; ++band) {
      const int top = int(int64_t(band) * mapHeight / height), bottom = int(int64_t(band + 1) * mapHeight / height);
      render::Color* target = out + size_t(band) * size_t(width);
      runs.clear();
      if (unchanged) {
        std::memcpy(target, unchanged->Row(band), size_t(width) * sizeof(render::Color));
        (*changed)(top, bottom, runs);
      } else {
        runs.push_back({0, width});
      }
      std::array<std::optional<Divider>, MaxBlock + 1> dividers;  // by the block's width
      for (const ColumnRun& run : runs) {
        const size_t from = size_t(columnStart[size_t(run.first)]) * 4, to = size_t(columnStart[size_t(run.end)]) * 4;
        std::fill(sums.begin() + from, sums.begin() + to, uint16_t(0));
        for (int row = top; row < bottom; ++row)
          AddRow(sums.data() + from, reinterpret_cast<const uint8_t*>(picture.Row(row)) + from, to - from);

        for (int column = run.first; column < run.end; ++column) {
          const int left = columnStart[size_t(column)], right = columnStart[size_t(column) + 1];
          uint64_t lanes = 0;  // the four 16-bit sums side by side
          for (int x = left; x < right; ++x) {
            uint64_t pixel;
            std::memcpy(&pixel, &sums[size_t(x) * 4], sizeof pixel);
            lanes += pixel;
          }
          std::optional<Divider>& divider = dividers[size_t(right - left)];
          if (!divider) divider.emplace(uint32_t((bottom - top) * (right - left)));
          target[column] = divider->Average(lanes & 0xFFFF) | divider->Average(lanes >> 16 & 0xFFFF) << 8 |
                           divider->Average(lanes >> 32 & 0xFFFF) << 16;
        }
      }
    }
  };
#if TIRMAGOR_THREADS
  // Each half writes rows of its own; the picture is only read.
  const int half = height / 2;
  std::thread lower(shrinkBands, half, height);
  shrinkBands(0, half);
  lower.join();
#else
  shrinkBands(0, height);
#endif
}

// Whether `width` by `height` is made from the picture in one pass of whole-pixel blocks.
bool ShrinksInOnePass(const render::Surface& picture, int width, int height) {
  return width > 0 && height > 0 && picture.Width() >= 2 * width && picture.Height() >= 2 * height &&
         picture.Width() <= MaxBlock * width && picture.Height() <= MaxBlock * height;
}

// Floor division, for map pixels left of and above the grid.
int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

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

void ScaleInto(const render::Surface& picture, int width, int height, render::Surface& scaled, render::Surface& scratch) {
  if (picture.Width() <= 0 || picture.Height() <= 0 || width <= 0 || height <= 0) {
    scaled = render::Surface();
    return;
  }
  if (picture.Width() < 2 * width || picture.Height() < 2 * height) {
    // Blocks of single pixels would show fine detail unblended: Qt's smooth scaling, which
    // weighs pixels by how much of each an output pixel covers.
    const QImage image = render::SurfaceImage(picture)
                             .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGBX8888);
    scaled.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
      render::Color* row = scaled.Row(y);
      std::memcpy(row, image.constScanLine(y), size_t(width) * 4);
      for (int x = 0; x < width; ++x) row[x] &= 0xFFFFFF;  // the unused byte is 0 in our pictures
    }
    return;
  }
  // Shrinking more than a block allows goes in passes of at most that much.
  const render::Surface* source = &picture;
  render::Surface extra;
  while (source->Width() > MaxBlock * width || source->Height() > MaxBlock * height) {
    render::Surface& into = source == &scratch ? extra : scratch;
    Shrink(*source, std::max(width, (source->Width() + MaxBlock - 1) / MaxBlock),
           std::max(height, (source->Height() + MaxBlock - 1) / MaxBlock), into);
    source = &into;
  }
  Shrink(*source, width, height, scaled);
}

render::Surface Scaled(const render::Surface& picture, int width, int height) {
  render::Surface scaled, scratch;
  ScaleInto(picture, width, height, scaled, scratch);
  return scaled;
}

render::Area ViewFrame(const render::Scene& scene, const Placement& placed) {
  const render::MarkedMap& map = scene.ComposedMap;
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

render::MapPixel MapPixelAt(const render::Scene& scene, const Placement& placed, int x, int y) {
  const render::MarkedMap& map = scene.ComposedMap;
  if (placed.width <= 0 || placed.height <= 0 || map.Width() <= 0 || map.Height() <= 0) return {};
  // The middle of the overview pixel, in map pixels.
  auto along = [](int offset, int placedSize, int mapSize) {
    const int64_t pixel = (int64_t(2) * offset + 1) * mapSize / (int64_t(2) * placedSize);
    return int(std::clamp<int64_t>(pixel, 0, mapSize - 1));
  };
  return {along(x - placed.left, placed.width, map.Width()), along(y - placed.top, placed.height, map.Height())};
}

bool Overview::Refresh(const render::Scene& scene, int width, int height) {
  const render::Surface& map = scene.ComposedMap.Picture();
  const uint64_t content = map.ContentId();
  if (content == madeFrom_ && width == madeForWidth_ && height == madeForHeight_) return false;
  placed_ = Fit(map.Width(), map.Height(), width, height);
  const render::Surface& clean = scene.CleanMap;
  // Where ComposedMap is CleanMap but for the cells the record names, only the overview's
  // pixels over those cells need working out; the others are those of CleanMap's overview.
  const render::DrawnCells* drawnCells = scene.ComposedMap.DrawnOver(clean, scene.CellSize);
  const bool onlyDrawnCells = scene.CellSize > 0 && clean.Width() == map.Width() && clean.Height() == map.Height() &&
                              ShrinksInOnePass(map, placed_.width, placed_.height) && drawnCells;
  fromDrawnCells_ = onlyDrawnCells;
  if (!onlyDrawnCells) {
    ScaleInto(map, placed_.width, placed_.height, picture_, scratch_);
  } else {
    if (clean.ContentId() != cleanFrom_ || clean_.Width() != placed_.width || clean_.Height() != placed_.height) {
      Shrink(clean, placed_.width, placed_.height, clean_);
      cleanFrom_ = clean.ContentId();
    }
    const std::vector<int> columnStart = ColumnStarts(map.Width(), placed_.width);
    const render::DrawnCells& drawn = *drawnCells;
    const int cell = scene.CellSize;
    const BandRuns changed = [&](int top, int bottom, std::vector<ColumnRun>& runs) {
      // The cells of every row of cells that reaches into the band.
      render::DrawnCells::Row cells{};
      const int firstRow = std::max(0, FloorDiv(top - render::MapMarginY, cell) + 1);
      const int lastRow = std::min(255, FloorDiv(bottom - 1 - render::MapMarginY, cell) + 1);
      for (int y = firstRow; y <= lastRow; ++y)
        for (size_t word = 0; word < cells.size(); ++word) cells[word] |= drawn.CellsOfRow(uint8_t(y))[word];
      render::DrawnCells::ForEachRun(cells, [&](int first, int end) {
        const int left = std::clamp(render::MapMarginX + first * cell, 0, map.Width());
        const int right = std::clamp(render::MapMarginX + end * cell, 0, map.Width());
        if (left >= right) return;
        // The output columns whose pixels reach into [left, right).
        const int firstColumn = int(std::upper_bound(columnStart.begin(), columnStart.end(), left) - columnStart.begin()) - 1;
        const int endColumn = int(std::lower_bound(columnStart.begin(), columnStart.end(), right) - columnStart.begin());
        if (!runs.empty() && runs.back().end >= firstColumn)
          runs.back().end = std::max(runs.back().end, endColumn);
        else
          runs.push_back({firstColumn, endColumn});
      });
    };
    Shrink(map, placed_.width, placed_.height, picture_, &clean_, &changed);
  }
  madeFrom_ = content;
  madeForWidth_ = width;
  madeForHeight_ = height;
  return true;
}

}  // namespace overview
