#include "render/Surface.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <set>
#include <string>

#include "TestScene.h"

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

Surface Canvas(int width, int height) {
  Surface s = Filled(width, height, Ground);
  s.PenColor = Pen;
  s.BrushColor = Brush;
  return s;
}

TEST(Surface, PixelsKeepOnlyTheirColourBitsWhateverTheCopyMode) {
  Surface pixels = Filled(3, 2, Ground);
  pixels.SetPixel(1, 1, 0xFF123456);
  pixels.SetPixel(3, 0, White);  // outside: neither kept nor wrapped into the next row
  EXPECT_EQ(pixels.PixelAt(1, 1), 0x123456u);
  EXPECT_EQ(pixels.PixelAt(3, 0), 0u);
  EXPECT_EQ(pixels.PixelAt(0, 1), Ground);

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
  Surface s = Canvas(7, 6);
  s.DrawRectangle(6, 5, 1, 1);  // corners in either order
  s.FillArea(0, 0, 0, 6);       // no width: nothing
  s.DrawRectangle(1, 3, 6, 3);  // no height: nothing
  EXPECT_EQ(Picture(s),
            ".......\n"
            ".#####.\n"
            ".#ooo#.\n"
            ".#ooo#.\n"
            ".#####.\n"
            ".......\n");

  Surface clipped = Canvas(4, 4);
  clipped.DrawRectangle(-3, -3, 2, 2);
  clipped.DrawRectangle(3, 3, 100, 100);
  clipped.FillArea(3, 0, 2, 2);
  EXPECT_EQ(Picture(clipped),
            "o#o.\n"
            "##o.\n"
            "....\n"
            "...#\n");
}

TEST(Surface, EllipseIsInscribedSymmetricAndOutlined) {
  Surface small = Canvas(6, 6);
  small.DrawEllipse(1, 1, 5, 5);
  small.DrawEllipse(1, 1, 1, 5);  // no width: nothing
  EXPECT_EQ(Picture(small),
            "......\n"
            "..##..\n"
            ".#oo#.\n"
            ".#oo#.\n"
            "..##..\n"
            "......\n");

  // The marker circle: 16 pixels across, both mirror images and the transpose equal.
  Surface circle = Canvas(20, 20);
  circle.DrawEllipse(18, 18, 2, 2);
  EXPECT_EQ(Picture(circle).substr(10 * 21, 21), "..#oooooooooooooo#..\n");
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      EXPECT_EQ(circle.PixelAt(x, y), circle.PixelAt(19 - x, y));
      EXPECT_EQ(circle.PixelAt(x, y), circle.PixelAt(x, 19 - y));
      EXPECT_EQ(circle.PixelAt(x, y), circle.PixelAt(y, x));
      // The outline closes the inside: no brush pixel touches the ground.
      if (circle.PixelAt(x, y) != Brush) continue;
      for (auto [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}})
        EXPECT_NE(circle.PixelAt(nx, ny), Ground) << x << "," << y;
    }

  // A wide ellipse cut by the surface's edges paints what the uncut one paints there.
  Surface whole = Canvas(40, 12);
  whole.DrawEllipse(3, 1, 37, 11);
  Surface cut = Canvas(20, 8);
  cut.DrawEllipse(3 - 10, 1 - 2, 37 - 10, 11 - 2);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 20; ++x) EXPECT_EQ(cut.PixelAt(x, y), whole.PixelAt(x + 10, y + 2));

  Surface line = Canvas(3, 4);
  line.DrawEllipse(1, 0, 2, 4);
  EXPECT_EQ(Picture(line), ".#.\n.#.\n.#.\n.#.\n");
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

  Surface reversed = Filled(4, 4, Ground);
  reversed.CopyArea({4, 4, 0, 0}, source, {2, 2, -2, -2});
  EXPECT_EQ(reversed.PixelAt(1, 1), Ground);
  EXPECT_EQ(reversed.PixelAt(3, 2), source.PixelAt(1, 0));

  Surface shifted = Filled(4, 4, Ground);
  shifted.CopyArea({-1, 3, 3, 7}, source, {0, 0, 4, 4});  // target partly outside
  EXPECT_EQ(shifted.PixelAt(0, 3), source.PixelAt(1, 0));
  EXPECT_EQ(shifted.PixelAt(3, 3), Ground);

  Surface self = source;
  self.CopyArea({1, 0, 4, 4}, self, {0, 0, 3, 4});
  EXPECT_EQ(self.PixelAt(3, 2), source.PixelAt(2, 2));
}

TEST(Surface, TransparentPlacementSkipsEveryPixelOfTheKeyColourAndReplacesTheRest) {
  const Color key = 0x123456, sprite = 0x0000FF;
  // Rows wide enough for a group of eight, one of four and single pixels, each with runs of both
  // kinds.
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
        const bool covered = x >= at && x < at + 15 && y >= 1 && wide.PixelAt(x - at, y - 1) != key;
        EXPECT_EQ(under.PixelAt(x, y), covered ? wide.PixelAt(x - at, y - 1) : Ground) << x << ", " << y;
      }
  }
}

TEST(Surface, ContentIdStaysWithTheContentAndChangesWithEveryChange) {
  Surface s = Filled(4, 4, Ground);
  const uint64_t first = s.ContentId();
  s.PenColor = Pen;  // drawing state is no content
  const Surface copy = s;
  EXPECT_EQ(s.ContentId(), first);
  EXPECT_EQ(copy.ContentId(), first);

  const testing::ScratchDir dir("render_content_id");
  const Surface sprite = Filled(2, 2, Brush);
  const std::function<void(Surface&)> changes[] = {
      [](Surface& t) { t.SetPixel(1, 1, Pen); },
      [](Surface& t) { t.Fill(Brush); },
      [](Surface& t) { t.FillArea(0, 0, 2, 2); },
      [](Surface& t) { t.DrawRectangle(0, 0, 3, 3); },
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
  EXPECT_EQ(copy.ContentId(), first);

  // What is moved away leaves an empty picture behind, under a number of its own.
  const uint64_t beforeMove = s.ContentId();
  const Surface moved = std::move(s);
  EXPECT_EQ(moved.ContentId(), beforeMove);
  EXPECT_EQ(std::pair(s.Width(), s.Height()), std::pair(0, 0));
  EXPECT_TRUE(seen.insert(s.ContentId()).second);
}

}  // namespace
}  // namespace render
