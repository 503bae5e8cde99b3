#include "render/Surface.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "TestScene.h"
#include "world/FileError.h"

namespace render {
namespace {

using testing::Filled;

constexpr Color Pen = 0x0000FF, Brush = 0xFF0000, Ground = 0x00AA00;

// The surface as text, one line per row: '#' pen, 'o' brush, '.' anything else.
std::string Picture(const Surface& s) {
  std::string out;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x)
      out += s.PixelAt(x, y) == Pen ? '#' : s.PixelAt(x, y) == Brush ? 'o' : '.';
    out += '\n';
  }
  return out;
}

std::string Le(uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += char(v >> (8 * i));
  return out;
}

// File header, BITMAPINFOHEADER at 96 dots per inch, pixels: what a save writes.
std::string BmpBytes(int width, int height, int bpp, const std::string& pixels) {
  const uint64_t offset = 14 + 40;
  return "BM" + Le(offset + pixels.size(), 4) + Le(0, 4) + Le(offset, 4) + Le(40, 4) + Le(width, 4) +
         Le(height, 4) + Le(1, 2) + Le(bpp, 2) + Le(0, 4) + Le(pixels.size(), 4) + Le(3780, 4) +
         Le(3780, 4) + Le(0, 4) + Le(0, 4) + pixels;
}

Surface Canvas(int width, int height) {
  Surface s = Filled(width, height, Ground);
  s.PenColor = Pen;
  s.BrushColor = Brush;
  return s;
}

TEST(Surface, CopyModesCombineTheColourBits) {
  const Color d = 0x00CC33AA, s = 0x00A5A50F;
  const std::pair<CopyMode, Color> cases[] = {{CopyMode::SrcCopy, s},
                                              {CopyMode::SrcAnd, d & s},
                                              {CopyMode::SrcPaint, d | s},
                                              {CopyMode::NotSrcCopy, ~s & 0xFFFFFF}};
  const Surface source = Filled(2, 2, s);
  for (const auto& [mode, expected] : cases) {
    Surface viaCopy = Filled(2, 2, d), viaDraw = Filled(2, 2, d);
    viaCopy.Mode = viaDraw.Mode = mode;
    viaCopy.CopyArea({0, 0, 2, 2}, source, {0, 0, 2, 2});
    viaDraw.DrawSurface(0, 0, source);
    EXPECT_EQ(viaCopy.PixelAt(1, 1), expected) << uint32_t(mode);
    EXPECT_EQ(viaDraw.PixelAt(0, 0), expected) << uint32_t(mode);
  }
}

TEST(Surface, RectanglesHavePenBorderBrushInsideExcludeRightAndBottomAndAreClipped) {
  Surface s = Canvas(4, 4);
  s.DrawRectangle(2, 2, -3, -3);  // corners in either order
  s.DrawRectangle(3, 3, 100, 100);
  s.DrawRectangle(0, 3, 3, 3);  // no height: nothing
  s.FillArea(3, 0, 2, 2);
  EXPECT_EQ(Picture(s), "o#o.\n##o.\n....\n...#\n");
}

TEST(Surface, EllipseIsInscribedAndOutlined) {
  Surface circle = Canvas(16, 16);
  circle.DrawEllipse(16, 16, 0, 0);
  // The marker circle's top half; the bottom half mirrors it.
  const std::string rows = Picture(circle);
  EXPECT_EQ(rows.substr(0, 8 * 17),
            ".....######.....\n"
            "...##oooooo##...\n"
            "..#oooooooooo#..\n"
            ".#oooooooooooo#.\n"
            ".#oooooooooooo#.\n"
            "#oooooooooooooo#\n"
            "#oooooooooooooo#\n"
            "#oooooooooooooo#\n");
  for (int y = 0; y < 8; ++y) EXPECT_EQ(rows.substr(y * 17, 17), rows.substr((15 - y) * 17, 17)) << y;
}

TEST(Surface, CopyAreaCopiesOnlyPixelsThatHaveASource) {
  Surface source;
  source.SetSize(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) source.SetPixel(x, y, Color(0x10 * y + x + 1));

  Surface t = Filled(4, 4, Ground);
  t.CopyArea({0, 0, 4, 4}, source, {2, 2, 6, 6});  // source partly outside
  EXPECT_EQ(t.PixelAt(1, 1), source.PixelAt(3, 3));
  EXPECT_EQ(t.PixelAt(2, 0), Ground);

  Surface shifted = Filled(4, 4, Ground);
  shifted.CopyArea({-1, 3, 3, 7}, source, {0, 0, 4, 4});  // target partly outside
  EXPECT_EQ(shifted.PixelAt(0, 3), source.PixelAt(1, 0));
  EXPECT_EQ(shifted.PixelAt(3, 3), Ground);
}

TEST(Surface, TransparentPlacementSkipsEveryPixelOfTheKeyColourAndReplacesTheRest) {
  const Color key = 0x123456, sprite = 0x0000FF;
  // Runs of both kinds in a group of eight, one of four and single pixels.
  Surface wide = Filled(15, 2, sprite);
  for (int x : {0, 3, 4, 5, 9, 10, 13}) wide.SetPixel(x, 0, key);
  for (int x = 0; x < 15; x += 2) wide.SetPixel(x, 1, key);
  wide.SetPixel(1, 1, key + 1);
  wide.Transparent = true;
  wide.TransparentColor = 0xFF000000 | key;  // only the colour bits count
  for (int at : {2, -3}) {
    Surface under = Filled(18, 3, Ground);
    under.Mode = CopyMode::SrcAnd;  // transparent placement replaces, whatever the mode
    under.DrawSurface(at, 1, wide);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 18; ++x) {
        const Color source = wide.PixelAt(x - at, y - 1);
        const bool covered = x >= at && x < at + 15 && y >= 1 && source != key;
        EXPECT_EQ(under.PixelAt(x, y), covered ? source : Ground) << x << ", " << y;
      }
  }
}

TEST(Surface, ContentIdStaysWithTheContentAndChangesWithEveryChange) {
  Surface s = Filled(4, 4, Ground);
  const uint64_t first = s.ContentId();
  EXPECT_EQ(Surface(s).ContentId(), first);  // a copy shares the number

  const test_support::ScratchFolder dir;
  const Surface sprite = Filled(2, 2, Brush);
  const std::function<void(Surface&)> changes[] = {
      [](Surface& t) { t.SetPixel(1, 1, Pen); },
      [](Surface& t) { t.Fill(Brush); },
      [](Surface& t) { t.DrawEllipse(0, 0, 4, 4); },
      [&](Surface& t) { t.CopyArea({0, 0, 2, 2}, sprite, {0, 0, 2, 2}); },
      [&](Surface& t) { t.DrawSurface(1, 1, sprite); },
      [](Surface& t) { t.Row(2)[2] = Pen; },
      [](Surface& t) { t.SetSize(5, 5); },
      // A loaded picture is new content, even when it is the same.
      [&](Surface& t) { t.SaveBmp(dir / "same.bmp"), t.LoadBmp(dir / "same.bmp"); },
  };
  std::set<uint64_t> seen{first};
  for (size_t i = 0; i < std::size(changes); ++i) {
    changes[i](s);
    EXPECT_TRUE(seen.insert(s.ContentId()).second) << "change " << i;
  }
}

// A save writes the plain 24-bit layout, in whole writes of about a megabyte; the decoder's
// own tests check every other layout.
TEST(Bmp, SavedBytesAndLoadedPixelsFollowTheFileLayout) {
  const test_support::ScratchFolder dir;
  auto loaded = [&](const std::string& bytes) {
    Surface s;
    s.LoadBmp(dir.Write("picture.bmp", bytes));
    return s;
  };
  Surface s;
  s.SetSize(601, 700);  // 1804 bytes a row: about 1.3 MB, more than one write
  std::string pixels;
  for (int y = 699; y >= 0; --y) {
    for (int x = 0; x < 601; ++x) {
      s.SetPixel(x, y, world::Rgb(uint8_t(x), uint8_t(y), uint8_t(x ^ y)));
      pixels += {char(x ^ y), char(y), char(x)};
    }
    pixels += '\0';
  }
  s.Row(5)[7] |= 0xFF000000;  // a stray top byte is no colour
  const std::filesystem::path saved = dir.Write("Год17.bmp", "an older picture");
  s.SaveBmp(saved);
  std::ifstream in(saved, std::ios::binary);
  EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == BmpBytes(601, 700, 24, pixels));
  s.Row(5)[7] &= 0xFFFFFF;
  // A side of more than 30000 pixels is refused and changes nothing.
  EXPECT_THROW(s.LoadBmp(dir.Write("wide.bmp", BmpBytes(30001, 1, 24, std::string(90004, '\0')))),
               world::FileError);
  EXPECT_EQ(loaded(BmpBytes(601, 700, 24, pixels)), s);
  EXPECT_EQ(loaded(BmpBytes(30000, 1, 24, std::string(90000, '\0'))).Width(), 30000);
}

}  // namespace
}  // namespace render
