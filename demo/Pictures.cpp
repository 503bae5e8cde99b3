#include "Pictures.h"

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>
#include <string>

#include "IconArt.h"
#include "render/Geometry.h"
#include "render/Markers.h"
#include "render/Scene.h"
#include "world/Cp1251.h"
#include "world/Palette.h"

namespace demo {
namespace {

using render::Color;
using render::Surface;
using world::Rgb;

constexpr Color Parchment = Rgb(238, 230, 208);
constexpr Color LegendPaper = Rgb(250, 246, 234);
constexpr Color Ink = Rgb(60, 50, 40);
constexpr Color FrameInk = Rgb(110, 90, 70);
constexpr Color CoastInk = Rgb(70, 95, 120);
constexpr Color SurfInk = Rgb(150, 185, 212);
constexpr Color SeaNameInk = Rgb(70, 110, 150);

// Calm, light colours, so that markers in any player colour stay readable on them.
constexpr std::array<Color, 8> LandColors = {
    Rgb(236, 226, 184), Rgb(208, 228, 180), Rgb(232, 208, 188), Rgb(220, 214, 236),
    Rgb(240, 234, 168), Rgb(200, 228, 212), Rgb(238, 212, 212), Rgb(226, 222, 200),
};
constexpr Color SeaColor = Rgb(188, 214, 236);
constexpr Color LakeColor = Rgb(178, 210, 238);

// Percent of each channel kept; above 100 lightens towards white.
Color Shade(Color c, int percent) {
  auto channel = [&](int v) {
    int shaded = percent <= 100 ? v * percent / 100 : v + (255 - v) * (percent - 100) / 100;
    return uint8_t(std::clamp(shaded, 0, 255));
  };
  return Rgb(channel(world::RedOf(c)), channel(world::GreenOf(c)), channel(world::BlueOf(c)));
}

int CellLeft(int x) { return x * CellSize + render::MapMarginX; }
int CellTop(int y) { return (y - 1) * CellSize + render::MapMarginY; }

bool SameRegion(const Geography& geography, int x, int y, int nx, int ny) {
  return world::IsOnMap(nx, ny) && geography.world.cells[nx][ny].land == geography.world.cells[x][y].land;
}

// Neighbouring lands get different colours: each land takes the first colour, starting from one
// that depends on its key, that no neighbour coloured before it has.
std::map<uint8_t, Color> RegionColors(const Geography& geography) {
  std::map<uint8_t, std::vector<uint8_t>> neighbours;
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y)
      for (auto [nx, ny] : {std::pair{x + 1, y}, std::pair{x, y + 1}}) {
        if (!world::IsOnMap(nx, ny) || SameRegion(geography, x, y, nx, ny)) continue;
        uint8_t a = geography.world.cells[x][y].land, b = geography.world.cells[nx][ny].land;
        neighbours[a].push_back(b);
        neighbours[b].push_back(a);
      }
  std::map<uint8_t, Color> colors;
  for (const Region& region : geography.regions) {
    if (region.sea) {
      colors[region.key] = region.lake ? LakeColor : SeaColor;
      continue;
    }
    for (size_t attempt = 0; attempt < LandColors.size(); ++attempt) {
      Color candidate = LandColors[(region.key + attempt) % LandColors.size()];
      const auto& around = neighbours[region.key];
      bool clash = std::any_of(around.begin(), around.end(), [&](uint8_t n) {
        auto found = colors.find(n);
        return found != colors.end() && found->second == candidate;
      });
      colors[region.key] = candidate;
      if (!clash) break;
    }
  }
  return colors;
}

void PaintCells(Surface& map, const Geography& geography, const std::map<uint8_t, Color>& colors) {
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y) {
      bool sea = geography.IsSea(x, y);
      Color base = colors.at(geography.world.cells[x][y].land);
      if (sea && geography.TouchesLand(x, y)) base = Shade(base, 125);  // shallows
      int left = CellLeft(x), top = CellTop(y);
      map.BrushColor = base;
      map.FillArea(left, top, left + CellSize, top + CellSize);
      // A faint grid, a little stronger every ten cells, for counting coordinates.
      Color columnLine = Shade(base, x % 10 == 1 ? 86 : 94);
      Color rowLine = Shade(base, y % 10 == 1 ? 86 : 94);
      for (int i = 0; i < CellSize; ++i) {
        map.SetPixel(left, top + i, columnLine);
        map.SetPixel(left + i, top, rowLine);
      }
    }
}

// Each cell draws its own side of a border: darker land colour between lands, the coast in
// blue-grey, a dotted line between two waters.
void PaintBorders(Surface& map, const Geography& geography, const std::map<uint8_t, Color>& colors) {
  struct Side {
    int dx, dy;
  };
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y) {
      bool sea = geography.IsSea(x, y);
      Color own = colors.at(geography.world.cells[x][y].land);
      int left = CellLeft(x), top = CellTop(y);
      for (Side side : {Side{1, 0}, Side{-1, 0}, Side{0, 1}, Side{0, -1}}) {
        int nx = x + side.dx, ny = y + side.dy;
        if (!world::IsOnMap(nx, ny) || SameRegion(geography, x, y, nx, ny)) continue;
        bool otherSea = geography.IsSea(nx, ny);
        for (int i = 0; i < CellSize; ++i) {
          int px = side.dx == 0 ? left + i : side.dx > 0 ? left + CellSize - 1 : left;
          int py = side.dy == 0 ? top + i : side.dy > 0 ? top + CellSize - 1 : top;
          if (!sea)
            map.SetPixel(px, py, otherSea ? CoastInk : Shade(own, 62));
          else if (!otherSea)
            map.SetPixel(px, py, SurfInk);
          else if (i % 2 == 0)
            map.SetPixel(px, py, Shade(own, 82));
        }
      }
    }
}

void PaintSign(Surface& surface, int left, int top, const SignArt& sign, int scale) {
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      if (sign.rows[size_t(row)][size_t(column)] == '#')
        for (int dy = 0; dy < scale; ++dy)
          for (int dx = 0; dx < scale; ++dx)
            surface.SetPixel(left + column * scale + dx, top + row * scale + dy, Rgb(sign.red, sign.green, sign.blue));
}

// True when every pixel of the box lies in a cell of the region with this key.
bool BoxInRegion(const Geography& geography, uint8_t key, int left, int top, int right, int bottom) {
  for (int py = top; py <= bottom; ++py)
    for (int px = left; px <= right; ++px) {
      int x = (px - render::MapMarginX) / CellSize, y = (py - render::MapMarginY) / CellSize + 1;
      if (px < render::MapMarginX || py < render::MapMarginY || !world::IsOnMap(x, y) ||
          geography.world.cells[x][y].land != key)
        return false;
    }
  return true;
}

// Writes the region's name near its interior, on one line or split over two, where it fits
// inside the region; a region too narrow for its name stays unlabelled (the status bar names it).
void PaintName(Surface& map, const Geography& geography, const Region& region, const PixelFont& font, Color ink) {
  std::vector<std::string> oneLine{region.name}, twoLines;
  size_t space = region.name.find(' ');
  if (space != std::string::npos) twoLines = {region.name.substr(0, space), region.name.substr(space + 1)};
  std::vector<std::pair<int, int>> cells;
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y)
      if (geography.world.cells[x][y].land == region.key) cells.emplace_back(x, y);
  auto distance = [&](std::pair<int, int> c) {
    return (c.first - region.interiorX) * (c.first - region.interiorX) + (c.second - region.interiorY) * (c.second - region.interiorY);
  };
  std::stable_sort(cells.begin(), cells.end(), [&](auto a, auto b) { return distance(a) < distance(b); });
  constexpr int LineStep = 11;
  for (const auto& lines : {oneLine, twoLines}) {
    if (lines.empty()) continue;
    int width = 0;
    for (const std::string& line : lines) width = std::max(width, font.TextWidth(line));
    int height = LineStep * int(lines.size()) - 2;
    for (auto [x, y] : cells) {
      int centreX = CellLeft(x) + CellSize / 2, centreY = CellTop(y) + CellSize / 2;
      int left = centreX - width / 2, top = centreY - height / 2;
      if (!BoxInRegion(geography, region.key, left - 2, top - 2, left + width + 1, top + height + 1)) continue;
      for (size_t i = 0; i < lines.size(); ++i) {
        int lineLeft = left + (width - font.TextWidth(lines[i])) / 2;
        font.DrawText(map, lineLeft, top + int(i) * LineStep, lines[i], ink);
      }
      return;
    }
  }
}

void PaintMargins(Surface& map) {
  int gridLeft = CellLeft(1), gridTop = CellTop(1);
  int gridRight = CellLeft(world::MapWidth) + CellSize, gridBottom = CellTop(world::MapHeight) + CellSize;
  map.BrushColor = FrameInk;
  map.FillArea(gridLeft - 1, gridTop - 1, gridRight + 1, gridTop);
  map.FillArea(gridLeft - 1, gridBottom, gridRight + 1, gridBottom + 1);
  map.FillArea(gridLeft - 1, gridTop - 1, gridLeft, gridBottom + 1);
  map.FillArea(gridRight, gridTop - 1, gridRight + 1, gridBottom + 1);
  for (int x = 1; x <= world::MapWidth; ++x) {
    int left = CellLeft(x) + (CellSize - SmallNumberWidth(x) + 1) / 2;
    DrawSmallNumber(map, left, gridTop - 8, x, Ink);
    DrawSmallNumber(map, left, gridBottom + 4, x, Ink);
  }
  for (int y = 1; y <= world::MapHeight; ++y) {
    int top = CellTop(y) + (CellSize - 5) / 2;
    DrawSmallNumber(map, gridLeft - 4 - SmallNumberWidth(y), top, y, Ink);
    DrawSmallNumber(map, gridRight + 4, top, y, Ink);
  }
}

// The markers exactly as the editor composes them, for the legend and the application icon.
class MarkerPainter {
 public:
  MarkerPainter(const Surface& iconSheet, const Surface& mineSheet) {
    scene_.IconSheet = iconSheet;
    scene_.MineSheet = mineSheet;
    scene_.CellSize = CellSize;
    world::DefaultPalette(scene_.Palette);
    render::BuildMaskSheet(scene_);
    scene_.MarkerBitmap.SetSize(CellSize, CellSize);
    scene_.MarkerBitmap.TransparentColor = scene_.IconSheet.PixelAt(1, 1);
    scene_.MarkerBitmap.Transparent = true;
  }
  void Paint(Surface& target, int left, int top, uint8_t kind, Color playerColor) {
    scene_.Palette[1] = playerColor;
    render::ComposeMarker(scene_, kind, 1);
    target.DrawSurface(left, top, scene_.MarkerBitmap);
  }

 private:
  render::Scene scene_;
};

constexpr Color LightPlayer = Rgb(255, 128, 64);
constexpr Color DarkPlayer = Rgb(0, 0, 160);

}  // namespace

Surface MakeIconSheet(int firstKind, int count) {
  Surface sheet;
  sheet.SetSize(count * IconSize, IconSize);
  for (int i = 0; i < count; ++i) {
    const IconArt& art = KindIcons.at(size_t(firstKind - 1 + i));
    for (int row = 0; row < IconSize; ++row) {
      std::string_view line = art.rows[size_t(row)];
      if (int(line.size()) != IconSize) throw std::runtime_error(std::string("icon row of wrong width: ") + art.name);
      for (int column = 0; column < IconSize; ++column)
        sheet.SetPixel(i * IconSize + column, row, line[size_t(column)] == '#' ? render::Black : render::White);
    }
  }
  return sheet;
}

Surface MakeMapPicture(const Geography& geography, const PixelFont& font) {
  Surface map;
  map.SetSize(MapPictureWidth, MapPictureHeight);
  map.Fill(Parchment);
  std::map<uint8_t, Color> colors = RegionColors(geography);
  PaintCells(map, geography, colors);
  PaintBorders(map, geography, colors);
  for (const Region& region : geography.regions)
    PaintName(map, geography, region, font, region.sea ? SeaNameInk : Shade(colors.at(region.key), 45));
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y)
      if (uint8_t mine = geography.world.cells[x][y].mine; mine >= 1 && mine <= world::MineKindCount)
        PaintSign(map, CellLeft(x) + 1, CellTop(y) + 1, CellMineSigns[size_t(mine - 1)], 1);
  PaintMargins(map);
  return map;
}

Surface MakeLegend(const PixelFont& font, const Surface& iconSheet, const Surface& mineSheet) {
  // Taller than its content: the reference window takes this as its outer size, caption included.
  constexpr int Width = 600, Height = 470, RowStep = 24;
  Surface legend;
  legend.SetSize(Width, Height);
  legend.Fill(LegendPaper);
  MarkerPainter markers(iconSheet, mineSheet);
  font.DrawText(legend, 12, 10, "Знаки карты Тирмагора", Ink, 2);

  // One row: the bare icon in a frame, the marker on a light and on a dark player colour (mine
  // units look alike for every player), the kind's letter in the turn file, and its name.
  auto kindRow = [&](int left, int top, uint8_t kind) {
    bool mineUnit = world::IsMineUnit(kind);
    const Surface& sheet = mineUnit ? mineSheet : iconSheet;
    int source = (mineUnit ? kind - world::FirstMineUnitKind : kind - 1) * CellSize;
    legend.PenColor = FrameInk;
    legend.BrushColor = render::White;
    legend.DrawRectangle(left - 1, top - 1, left + CellSize + 1, top + CellSize + 1);
    legend.CopyArea({left, top, left + CellSize, top + CellSize}, sheet, {source, 0, source + CellSize, CellSize});
    markers.Paint(legend, left + 28, top, kind, LightPlayer);
    if (!mineUnit) markers.Paint(legend, left + 52, top, kind, DarkPlayer);
    std::string letter = world::Cp1251ToUtf8(std::string(1, char(world::InfoOfKind(kind).letter)));
    font.DrawText(legend, left + 82, top + 3, letter, Ink, 2);
    font.DrawText(legend, left + 102, top + 7, KindIcons[size_t(kind - 1)].name, Ink);
  };
  auto heading = [&](int left, int top, const char* text) { font.DrawText(legend, left, top, text, FrameInk); };

  constexpr int LeftColumn = 14, RightColumn = 310, FirstRow = 64;
  heading(LeftColumn, 44, "Войска");
  for (uint8_t kind = 1; kind < world::FirstBuildingKind; ++kind)
    kindRow(LeftColumn, FirstRow + (kind - 1) * RowStep, kind);
  heading(RightColumn, 44, "Постройки");
  for (uint8_t kind = world::FirstBuildingKind; kind < world::FirstMineUnitKind; ++kind)
    kindRow(RightColumn, FirstRow + (kind - world::FirstBuildingKind) * RowStep, kind);
  int mineTop = FirstRow + 5 * RowStep + 28;
  heading(RightColumn, mineTop - 20, "Рудники игроков");
  for (uint8_t kind = world::FirstMineUnitKind; kind <= world::KindCount; ++kind)
    kindRow(RightColumn, mineTop + (kind - world::FirstMineUnitKind) * RowStep, kind);

  int signTop = FirstRow + 10 * RowStep + 12;
  heading(LeftColumn, signTop, "Рудники клеток: знак в углу клетки, название в строке состояния");
  for (size_t i = 0; i < CellMineSigns.size(); ++i) {
    int left = LeftColumn + int(i % 2) * (RightColumn - LeftColumn);
    int top = signTop + 18 + int(i / 2) * RowStep;
    PaintSign(legend, left + 4, top + 4, CellMineSigns[i], 3);
    PaintSign(legend, left + 28, top + 8, CellMineSigns[i], 1);
    font.DrawText(legend, left + 40, top + 6, CellMineSigns[i].name, Ink);
  }
  int noteTop = signTop + 18 + 2 * RowStep + 10;
  font.DrawText(legend, LeftColumn, noteTop, "На светлом цвете игрока линии знака чёрные, на тёмном жёлтые.", Ink);
  font.DrawText(legend, LeftColumn, noteTop + 14, "Буква: код вида в файле хода; C, S, G и M латинские.", Ink);
  return legend;
}

std::vector<uint32_t> MakeAppIcon(int size, const Surface& iconSheet, const Surface& mineSheet) {
  constexpr int Base = 32;
  if (size % Base != 0) throw std::runtime_error("application icon sizes are multiples of 32");
  Surface art;
  art.SetSize(Base, Base);
  // A corner of a map: sea, a coast, the faint grid, and a knight's marker on it.
  auto land = [](int x, int y) {
    int dx = x - 24, dy = y - 22;
    return dx * dx + dy * dy * 2 < 300 || (x - 6) * (x - 6) + (y - 29) * (y - 29) < 40;
  };
  for (int y = 0; y < Base; ++y)
    for (int x = 0; x < Base; ++x) {
      bool coast = land(x, y) && !(land(x + 1, y) && land(x - 1, y) && land(x, y + 1) && land(x, y - 1));
      Color c = land(x, y) ? LandColors[1] : SeaColor;
      if (x % 8 == 0 || y % 8 == 0) c = Shade(c, 92);
      art.SetPixel(x, y, coast ? CoastInk : c);
    }
  MarkerPainter markers(iconSheet, mineSheet);
  markers.Paint(art, 6, 4, 5, DarkPlayer);

  int scale = size / Base;
  std::vector<uint32_t> icon(size_t(size) * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      int ax = x / scale, ay = y / scale;
      // Rounded corners: outside a radius of 4 art pixels the icon is transparent.
      int cx = std::clamp(ax, 4, Base - 5), cy = std::clamp(ay, 4, Base - 5);
      bool outside = (ax - cx) * (ax - cx) + (ay - cy) * (ay - cy) > 16;
      bool edge = !outside && (ax - cx) * (ax - cx) + (ay - cy) * (ay - cy) > 9;
      bool frame = edge || ax == 0 || ay == 0 || ax == Base - 1 || ay == Base - 1;
      Color c = frame ? FrameInk : art.PixelAt(ax, ay);
      icon[size_t(y) * size + x] =
          outside ? 0u : 0xFF000000u | uint32_t(world::RedOf(c)) << 16 | uint32_t(world::GreenOf(c)) << 8 | world::BlueOf(c);
    }
  return icon;
}

}  // namespace demo
