#include "render/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

TEST(Surface, CopyModesCombineTheColourBits) {
  const Color d = 0x00CC33AA, s = 0x00A5A50F;
  struct Case {
    CopyMode mode;
    Color expected;
  } cases[] = {{CopyMode::SrcCopy, s},
               {CopyMode::SrcAnd, d & s},
               {CopyMode::SrcPaint, d | s},
               {CopyMode::NotSrcCopy, ~s & 0xFFFFFF}};
  const Surface source = Filled(2, 2, s);
  for (const Case& c : cases) {
    Surface viaCopy = Filled(2, 2, d), viaDraw = Filled(2, 2, d);
    viaCopy.Mode = viaDraw.Mode = c.mode;
    viaCopy.CopyArea({0, 0, 2, 2}, source, {0, 0, 2, 2});
    viaDraw.DrawSurface(0, 0, source);
    EXPECT_EQ(viaCopy.PixelAt(1, 1), c.expected) << uint32_t(c.mode);
    EXPECT_EQ(viaDraw.PixelAt(0, 0), c.expected) << uint32_t(c.mode);
  }
}

TEST(Surface, PixelAccessStaysInsideAndKeepsTheTopByteZero) {
  Surface s = Filled(3, 2, Ground);
  s.SetPixel(1, 1, 0xFF123456);
  s.SetPixel(3, 0, White);
  EXPECT_EQ(s.PixelAt(1, 1), 0x123456u);
  EXPECT_EQ(s.PixelAt(3, 0), 0u);
  EXPECT_EQ(s, [] { Surface t = Filled(3, 2, Ground); t.SetPixel(1, 1, 0x123456); return t; }());
}

TEST(Surface, RectangleHasPenBorderBrushInsideAndExcludesRightAndBottom) {
  Surface s = Canvas(7, 6);
  s.DrawRectangle(1, 1, 6, 5);
  EXPECT_EQ(Picture(s),
            ".......\n"
            ".#####.\n"
            ".#ooo#.\n"
            ".#ooo#.\n"
            ".#####.\n"
            ".......\n");
  Surface reversed = Canvas(7, 6);
  reversed.DrawRectangle(6, 5, 1, 1);
  EXPECT_EQ(reversed, s);

  Surface empty = Canvas(7, 6);
  empty.DrawRectangle(2, 1, 2, 5);
  empty.DrawRectangle(1, 3, 6, 3);
  empty.FillArea(4, 0, 4, 6);
  EXPECT_EQ(empty, Canvas(7, 6));

  Surface fill = Canvas(4, 3);
  fill.FillArea(3, 2, 1, 0);
  EXPECT_EQ(Picture(fill), ".oo.\n.oo.\n....\n");
}

TEST(Surface, DrawingIsClippedToTheSurface) {
  Surface s = Canvas(4, 4);
  s.DrawRectangle(-3, -3, 2, 2);
  s.DrawRectangle(3, 3, 100, 100);
  s.DrawRectangle(50, 50, 60, 60);
  EXPECT_EQ(Picture(s),
            "o#..\n"
            "##..\n"
            "....\n"
            "...#\n");
}

TEST(Surface, EllipseIsInscribedSymmetricAndOutlined) {
  Surface small = Canvas(6, 6);
  small.DrawEllipse(1, 1, 5, 5);
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
  EXPECT_EQ(Picture(circle).substr(2 * 21, 21), ".......######.......\n");
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

  Surface empty = Canvas(6, 6);
  empty.DrawEllipse(1, 1, 1, 5);
  EXPECT_EQ(empty, Canvas(6, 6));
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
  t.CopyArea({0, 0, 4, 4}, source, {2, 2, 6, 6});
  EXPECT_EQ(t.PixelAt(0, 0), source.PixelAt(2, 2));
  EXPECT_EQ(t.PixelAt(1, 1), source.PixelAt(3, 3));
  EXPECT_EQ(t.PixelAt(2, 0), Ground);
  EXPECT_EQ(t.PixelAt(0, 2), Ground);

  Surface negative = Filled(4, 4, Ground);
  negative.CopyArea({4, 4, 0, 0}, source, {2, 2, -2, -2});
  EXPECT_EQ(negative.PixelAt(1, 1), Ground);
  EXPECT_EQ(negative.PixelAt(2, 2), source.PixelAt(0, 0));
  EXPECT_EQ(negative.PixelAt(3, 2), source.PixelAt(1, 0));

  Surface outside = Filled(4, 4, Ground);
  outside.CopyArea({0, 0, 4, 4}, source, {-4, 0, 0, 4});
  outside.CopyArea({-2, -2, 2, 2}, source, {20, 20, 24, 24});
  EXPECT_EQ(outside, Filled(4, 4, Ground));

  Surface shifted = Filled(4, 4, Ground);
  shifted.CopyArea({-1, 3, 3, 7}, source, {0, 0, 4, 4});
  EXPECT_EQ(shifted.PixelAt(0, 3), source.PixelAt(1, 0));
  EXPECT_EQ(shifted.PixelAt(2, 3), source.PixelAt(3, 0));
  EXPECT_EQ(shifted.PixelAt(3, 3), Ground);

  Surface self = source;
  self.CopyArea({1, 0, 4, 4}, self, {0, 0, 3, 4});
  EXPECT_EQ(self.PixelAt(1, 2), source.PixelAt(0, 2));
  EXPECT_EQ(self.PixelAt(3, 2), source.PixelAt(2, 2));
}

TEST(Surface, TransparentPlacementSkipsEveryPixelOfTheKeyColour) {
  const Color key = 0x123456;
  Surface sprite = Filled(3, 3, 0x0000FF);
  sprite.SetPixel(1, 1, key);
  sprite.SetPixel(2, 0, key);
  sprite.SetPixel(0, 2, key + 1);
  sprite.Transparent = true;
  sprite.TransparentColor = 0xFF000000 | key;  // only the colour bits count

  Surface t = Filled(5, 5, Ground);
  t.Mode = CopyMode::SrcAnd;  // transparent placement replaces, whatever the mode
  t.DrawSurface(1, 1, sprite);
  EXPECT_EQ(t.PixelAt(1, 1), 0x0000FFu);
  EXPECT_EQ(t.PixelAt(2, 2), Ground);
  EXPECT_EQ(t.PixelAt(3, 1), Ground);
  EXPECT_EQ(t.PixelAt(1, 3), key + 1);
  EXPECT_EQ(t.PixelAt(4, 4), Ground);

  Surface corner = Filled(2, 2, Ground);
  corner.DrawSurface(-2, 0, sprite);
  EXPECT_EQ(corner.PixelAt(0, 0), Ground);  // sprite (2, 0), a hole
  EXPECT_EQ(corner.PixelAt(0, 1), 0x0000FFu);
  EXPECT_EQ(corner.PixelAt(1, 0), Ground);
  corner.DrawSurface(1, 1, sprite);
  EXPECT_EQ(corner.PixelAt(1, 1), 0x0000FFu);

  // Wide rows, where runs of both kinds fall anywhere within each group of four.
  Surface wide = Filled(11, 2, 0x0000FF);
  for (int x : {0, 3, 4, 5, 9, 10}) wide.SetPixel(x, 0, key);
  for (int x = 0; x < 11; x += 2) wide.SetPixel(x, 1, key);
  wide.Transparent = true;
  wide.TransparentColor = key;
  Surface under = Filled(14, 3, Ground);
  under.DrawSurface(2, 1, wide);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 14; ++x) {
      const bool covered = x >= 2 && x < 13 && y >= 1 && wide.PixelAt(x - 2, y - 1) != key;
      EXPECT_EQ(under.PixelAt(x, y), covered ? 0x0000FFu : Ground) << x << ", " << y;
    }
}

TEST(Surface, ContentIdStaysWithTheContentAndChangesWithEveryChange) {
  Surface s = Filled(4, 4, Ground);
  const uint64_t first = s.ContentId();
  EXPECT_EQ(s.ContentId(), first);
  s.PenColor = Pen;  // drawing state is no content
  EXPECT_EQ(s.ContentId(), first);
  const Surface copy = s;
  EXPECT_EQ(copy.ContentId(), first);

  std::vector<uint64_t> seen{first};
  const Surface sprite = Filled(2, 2, Brush);
  const std::vector<void (*)(Surface&, const Surface&)> changes = {
      [](Surface& t, const Surface&) { t.SetPixel(1, 1, Pen); },
      [](Surface& t, const Surface&) { t.Fill(Brush); },
      [](Surface& t, const Surface&) { t.FillArea(0, 0, 2, 2); },
      [](Surface& t, const Surface&) { t.DrawRectangle(0, 0, 3, 3); },
      [](Surface& t, const Surface&) { t.DrawEllipse(0, 0, 4, 4); },
      [](Surface& t, const Surface& from) { t.CopyArea({0, 0, 2, 2}, from, {0, 0, 2, 2}); },
      [](Surface& t, const Surface& from) { t.DrawSurface(1, 1, from); },
      [](Surface& t, const Surface&) { t.Row(2)[2] = Pen; },
      [](Surface& t, const Surface&) { t.SetSize(5, 5); },
  };
  for (auto change : changes) {
    change(s, sprite);
    const uint64_t id = s.ContentId();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), id), 0);
    seen.push_back(id);
  }
  EXPECT_EQ(copy.ContentId(), first);
}

}  // namespace
}  // namespace render
