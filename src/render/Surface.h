#pragma once
// A raster picture with GDI-like drawing state and exact pixel rules.

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "world/FileReplacement.h"
#include "world/Palette.h"

namespace render {

using world::Color;  // 0x00BBGGRR

enum class CopyMode : uint32_t {
  SrcCopy = 0x00CC0020,     // d = s
  SrcAnd = 0x008800C6,      // d = d AND s
  SrcPaint = 0x00EE0086,    // d = d OR s
  NotSrcCopy = 0x00330008,  // d = NOT s
};

// An area given by two corners in either order; the right and bottom edges are excluded.
struct Area {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

constexpr Color Black = 0x000000;
constexpr Color White = 0xFFFFFF;

class Surface {
 public:
  Surface() = default;  // 0 x 0, pen black, brush white, SRCCOPY, not transparent
  Surface(const Surface&) = default;
  Surface& operator=(const Surface&) = default;
  // What is moved from is left an empty 0 x 0 picture rather than a size without pixels.
  Surface(Surface&& other) noexcept { *this = std::move(other); }
  Surface& operator=(Surface&& other) noexcept {
    if (this == &other) return *this;
    PenColor = other.PenColor;
    BrushColor = other.BrushColor;
    Mode = other.Mode;
    Transparent = other.Transparent;
    TransparentColor = other.TransparentColor;
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    pixels_ = std::move(other.pixels_);
    other.pixels_.clear();
    contentId_ = std::exchange(other.contentId_, 0);
    return *this;
  }

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Resizes; the content afterwards is not to be relied upon (it is black).
  void SetSize(int width, int height);

  // The colour at (x, y); 0 outside the surface.
  Color PixelAt(int x, int y) const;
  void SetPixel(int x, int y, Color c);  // ignored outside
  const Color* Row(int y) const { return pixels_.data() + size_t(y) * width_; }
  Color* Row(int y) {
    contentId_ = 0;
    return pixels_.data() + size_t(y) * width_;
  }
  // A number that stands for the present size and pixels: it stays the same while they do and
  // is never reused for other content, so a copy of a surface shares its original's number.
  // Lets what is derived from a picture be kept until the picture changes.
  uint64_t ContentId() const;

  // Drawing state, kept between operations.
  Color PenColor = Black;
  Color BrushColor = White;
  CopyMode Mode = CopyMode::SrcCopy;
  bool Transparent = false;
  Color TransparentColor = 0;

  void DrawRectangle(int x1, int y1, int x2, int y2);  // border in pen, inside in brush
  void DrawEllipse(int x1, int y1, int x2, int y2);    // inscribed ellipse, outline pen, inside brush
  void FillArea(int x1, int y1, int x2, int y2);       // all in brush
  void Fill(Color c);                                  // the whole surface
  // Combines each target pixel with its source pixel by this surface's Mode; target pixels
  // whose source pixel lies outside `source` stay as they are. Areas have the same size.
  void CopyArea(Area target, const Surface& source, Area sourceArea);
  // Places all of `source` with its top-left pixel at (x, y): with source.Transparent, pixels
  // equal to source.TransparentColor are skipped, others replace; otherwise this Mode combines.
  void DrawSurface(int x, int y, const Surface& source);

  // Throws world::FileError "Cannot open file %s" / "Bitmap image is not valid"; on failure
  // the surface keeps its size and pixels.
  void LoadBmp(const std::filesystem::path& path);
  // Writes a 24-bit BMP; the target is replaced only when the new file is complete.
  // Throws world::FileError "Cannot create file %s".
  void SaveBmp(const std::filesystem::path& path, world::Sync sync = world::Sync::Now) const;
  // The same pixels as a PNG picture, replaced the same way.
  void SavePng(const std::filesystem::path& path, world::Sync sync = world::Sync::Now) const;

  bool operator==(const Surface& other) const {
    return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Color> pixels_;
  // 0 after every change; numbered on demand by ContentId().
  mutable uint64_t contentId_ = 0;
};

// Whether a picture's name ends in ".png", in any case.
bool HasPngExtension(const std::filesystem::path& path);

}  // namespace render
