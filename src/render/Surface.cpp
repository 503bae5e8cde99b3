#include "render/Surface.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace render {

namespace {

constexpr Color ColorBits = 0xFFFFFF;

// An area with its corners sorted: columns left..right-1, rows top..bottom-1.
// 64-bit so that no corner arithmetic can overflow.
struct Rect {
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  int64_t Width() const { return right - left; }
  int64_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
};

Rect Normalized(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

Rect Normalized(Area a) { return Normalized(a.x1, a.y1, a.x2, a.y2); }

Rect Intersect(Rect a, Rect b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

// One row of a copy: d := s combined with d by the mode, on the 24 colour bits.
void CombineRow(Color* d, const Color* s, int n, CopyMode mode) {
  switch (mode) {
    case CopyMode::SrcCopy:
      std::memmove(d, s, size_t(n) * sizeof(Color));
      break;
    case CopyMode::SrcAnd:
      for (int i = 0; i < n; ++i) d[i] &= s[i];
      break;
    case CopyMode::SrcPaint:
      for (int i = 0; i < n; ++i) d[i] |= s[i];
      break;
    case CopyMode::NotSrcCopy:
      for (int i = 0; i < n; ++i) d[i] = ~s[i] & ColorBits;
      break;
  }
}

// Blends pixels i.. of one row in blocks of the vector's width, as far as whole blocks reach;
// returns where the blocks end. Inlined, it takes the instruction set of its caller.
template <typename Block>
[[gnu::always_inline]] inline int PlaceTransparentBlocks(Color* d, const Color* s, int i, int n, Color key) {
  constexpr int Width = sizeof(Block) / sizeof(Color);
  for (; i + Width <= n; i += Width) {
    Block source, target;
    std::memcpy(&source, s + i, sizeof source);
    std::memcpy(&target, d + i, sizeof target);
    const Block transparent = (Block)(source == key);
    target = (target & transparent) | (source & ~transparent);
    std::memcpy(d + i, &target, sizeof target);
  }
  return i;
}

// A transparent placement of `rows` rows of `n` pixels: every source pixel but `key` replaces its
// target. Marker rows mix both kinds unpredictably, so pixels are blended without branches, eight
// at a time where the processor has AVX2 and four at a time otherwise.
#if defined(__x86_64__) || defined(__i386__)
#define TIRMAGOR_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TIRMAGOR_AVX2_CLONES
#endif
TIRMAGOR_AVX2_CLONES void PlaceTransparent(Color* d, size_t targetStride,
                                                                       const Color* s, size_t sourceStride,
                                                                       int n, int rows, Color key) {
  typedef uint32_t Eight __attribute__((vector_size(32)));
  typedef uint32_t Four __attribute__((vector_size(16)));
  for (int row = 0; row < rows; ++row, d += targetStride, s += sourceStride) {
    int i = PlaceTransparentBlocks<Eight>(d, s, 0, n, key);
    i = PlaceTransparentBlocks<Four>(d, s, i, n, key);
    for (; i < n; ++i)
      if (s[i] != key) d[i] = s[i];
  }
}

// Exact test whether dx² · h² ≤ w² · (h² − dy²), the inside condition of the ellipse in
// doubled coordinates; 128-bit so that no area size can overflow it.
__extension__ typedef unsigned __int128 Wide;
bool InsideEllipse(int64_t dx, int64_t dy, int64_t w, int64_t h) {
  const Wide adx = Wide(dx < 0 ? -dx : dx), ady = Wide(dy < 0 ? -dy : dy);
  const Wide hh = Wide(h) * Wide(h), dd = ady * ady;
  if (dd > hh) return false;
  return adx * adx * hh <= Wide(w) * Wide(w) * (hh - dd);
}

void FillClipped(Surface& surface, int64_t left, int64_t top, int64_t right, int64_t bottom, Color c) {
  const Rect r = Intersect({left, top, right, bottom}, {0, 0, surface.Width(), surface.Height()});
  if (r.Empty()) return;
  c &= ColorBits;
  for (int64_t y = r.top; y < r.bottom; ++y)
    std::fill(surface.Row(int(y)) + r.left, surface.Row(int(y)) + r.right, c);
}

}  // namespace

uint64_t Surface::ContentId() const {
  static std::atomic<uint64_t> lastId{0};
  if (contentId_ == 0) contentId_ = ++lastId;
  return contentId_;
}

void Surface::SetSize(int width, int height) {
  contentId_ = 0;
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(size_t(width_) * size_t(height_), Black);
}

Color Surface::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return Row(y)[x];
}

void Surface::SetPixel(int x, int y, Color c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Row(y)[x] = c & ColorBits;
}

void Surface::Fill(Color c) {
  contentId_ = 0;
  std::fill(pixels_.begin(), pixels_.end(), c & ColorBits);
}

void Surface::FillArea(int x1, int y1, int x2, int y2) {
  Rect r = Normalized(x1, y1, x2, y2);
  FillClipped(*this, r.left, r.top, r.right, r.bottom, BrushColor);
}

void Surface::DrawRectangle(int x1, int y1, int x2, int y2) {
  Rect r = Normalized(x1, y1, x2, y2);
  if (r.Empty()) return;
  FillClipped(*this, r.left, r.top, r.right, r.bottom, BrushColor);
  FillClipped(*this, r.left, r.top, r.right, r.top + 1, PenColor);
  FillClipped(*this, r.left, r.bottom - 1, r.right, r.bottom, PenColor);
  FillClipped(*this, r.left, r.top, r.left + 1, r.bottom, PenColor);
  FillClipped(*this, r.right - 1, r.top, r.right, r.bottom, PenColor);
}

// A pixel belongs to the ellipse when its centre lies inside the ellipse that touches the
// area's outer edges; the outline is every such pixel with a left, right, upper or lower
// neighbour outside. The test depends only on squared distances from the centre, so the
// shape is mirror-symmetric in both axes: the 16 by 16 marker circle spans all 16 columns in
// its middle rows and 6 pixels (x 7..12) in its top and bottom rows.
void Surface::DrawEllipse(int x1, int y1, int x2, int y2) {
  const Rect r = Normalized(x1, y1, x2, y2);
  if (r.Empty()) return;
  const int64_t w = r.Width(), h = r.Height();
  const int64_t sumX = int64_t(r.left) + r.right, sumY = int64_t(r.top) + r.bottom;

  // The columns of row y inside the ellipse, as [first, last]; first > last when empty.
  struct Span {
    int64_t first = 1, last = 0;
    bool Has(int64_t x) const { return x >= first && x <= last; }
  };
  auto spanOfRow = [&](int64_t y) {
    Span s;
    if (y < r.top || y >= r.bottom) return s;
    const int64_t dy = 2 * y + 1 - sumY;
    // A first guess from floating point, then corrected exactly.
    long double reach = std::sqrt(static_cast<long double>(w) * w *
                                  (static_cast<long double>(h) * h - static_cast<long double>(dy) * dy)) /
                        h;
    int64_t first = static_cast<int64_t>(std::ceil((sumX - 1 - reach) / 2));
    first = std::clamp<int64_t>(first, r.left, r.right);
    while (first > r.left && InsideEllipse(2 * (first - 1) + 1 - sumX, dy, w, h)) --first;
    // Never past the middle column: beyond it the row is empty.
    while (first <= sumX - 1 - first && !InsideEllipse(2 * first + 1 - sumX, dy, w, h)) ++first;
    s.first = first;
    s.last = sumX - 1 - first;  // mirror image of `first`
    return s;
  };

  const int rowFrom = int(std::max<int64_t>(r.top, 0)), rowTo = int(std::min<int64_t>(r.bottom, height_));
  if (rowFrom >= rowTo) return;
  const Color pen = PenColor & ColorBits, brush = BrushColor & ColorBits;
  Span above = spanOfRow(rowFrom - 1), here = spanOfRow(rowFrom);
  for (int y = rowFrom; y < rowTo; ++y) {
    const Span below = spanOfRow(y + 1);
    const int64_t from = std::max<int64_t>(here.first, 0);
    const int64_t to = std::min<int64_t>(here.last, width_ - 1);
    Color* row = Row(y);
    for (int64_t x = from; x <= to; ++x) {
      const bool outline = x == here.first || x == here.last || !above.Has(x) || !below.Has(x);
      row[x] = outline ? pen : brush;
    }
    above = here;
    here = below;
  }
}

void Surface::CopyArea(Area target, const Surface& source, Area sourceArea) {
  if (&source == this) {
    const Surface copy = source;
    CopyArea(target, copy, sourceArea);
    return;
  }
  const Rect t = Normalized(target), s = Normalized(sourceArea);
  // The areas should match in size; if they do not, only their common part is copied.
  const int64_t w = std::min(t.Width(), s.Width()), h = std::min(t.Height(), s.Height());
  // Shift from target to source coordinates.
  const int64_t dx = s.left - t.left, dy = s.top - t.top;
  Rect clip = Intersect({t.left, t.top, t.left + w, t.top + h}, {0, 0, width_, height_});
  clip = Intersect(clip, {-dx, -dy, source.width_ - dx, source.height_ - dy});
  if (clip.Empty()) return;
  for (int64_t y = clip.top; y < clip.bottom; ++y)
    CombineRow(Row(int(y)) + clip.left, source.Row(int(y + dy)) + clip.left + dx, int(clip.Width()), Mode);
}

void Surface::DrawSurface(int x, int y, const Surface& source) {
  if (&source == this) {
    const Surface copy = source;
    DrawSurface(x, y, copy);
    return;
  }
  const Rect clip = Intersect({x, y, int64_t(x) + source.width_, int64_t(y) + source.height_},
                              {0, 0, width_, height_});
  if (clip.Empty()) return;
  const int n = int(clip.Width());
  if (source.Transparent) {
    PlaceTransparent(Row(int(clip.top)) + clip.left, size_t(width_), source.Row(int(clip.top - y)) + (clip.left - x),
                     size_t(source.width_), n, int(clip.Height()), source.TransparentColor & ColorBits);
    return;
  }
  for (int64_t row = clip.top; row < clip.bottom; ++row)
    CombineRow(Row(int(row)) + clip.left, source.Row(int(row - y)) + (clip.left - x), n, Mode);
}

}  // namespace render
