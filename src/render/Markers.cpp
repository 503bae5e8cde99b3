#include "render/Markers.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "render/Geometry.h"
#include "world/TurnFile.h"

namespace render {

namespace {

constexpr Color Yellow = 0x00FFFF;
constexpr int TroopKinds = world::FirstBuildingKind - 1;

// The player-coloured block under a building icon, as DrawRectangle corners.
Area BuildingBlock(uint8_t kind) {
  switch (kind) {
    case world::Fortress:
      return {7, 10, 10, 13};
    case world::Tower:
      return {8, 8, 12, 12};
    default:
      return {7, 6, 14, 13};
  }
}

// The icon in place `index` (counted from 0) of a sheet.
Area IconArea(int index, int cellSize) { return {index * cellSize, 0, (index + 1) * cellSize, cellSize}; }

bool IsCurrentUnitValid(const EditingState& state) {
  return state.CurrentPlayer >= 1 && state.CurrentPlayer <= world::MaxPlayers && state.CurrentUnit >= 1 &&
         state.CurrentUnit <= world::MaxUnits;
}

// The map view on the window. Once the map is scrolled, cells above or left of the view fall on
// the strips above it, so what belongs to the map is drawn on the window only inside the view.
Area ViewArea(const Scene& scene) { return {scene.ViewLeft, scene.ViewTop, scene.ViewRight, scene.ViewBottom}; }

Area Intersection(Area a, Area b) {
  return {std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2), std::min(a.y2, b.y2)};
}

bool IsEmpty(Area a) { return a.x1 >= a.x2 || a.y1 >= a.y2; }

void DrawMarkerInView(Scene& scene, const Surface& marker, int x, int y) {
  const Area placed{x, y, x + marker.Width(), y + marker.Height()};
  const Area visible = Intersection(placed, ViewArea(scene));
  if (IsEmpty(visible)) return;
  if (visible.x1 == placed.x1 && visible.y1 == placed.y1 && visible.x2 == placed.x2 && visible.y2 == placed.y2) {
    scene.Window.DrawSurface(x, y, marker);
    return;
  }
  Surface part;
  part.SetSize(visible.x2 - visible.x1, visible.y2 - visible.y1);
  part.CopyArea({0, 0, part.Width(), part.Height()}, marker,
                {visible.x1 - x, visible.y1 - y, visible.x2 - x, visible.y2 - y});
  part.Transparent = marker.Transparent;
  part.TransparentColor = marker.TransparentColor;
  scene.Window.DrawSurface(visible.x1, visible.y1, part);
}

}  // namespace

bool IsLightColor(Color c) { return world::RedOf(c) > 128 || world::GreenOf(c) > 128; }

void BuildMaskSheet(Scene& scene) {
  const int width = TroopKinds * scene.CellSize, height = scene.CellSize;
  const Area whole{0, 0, width, height};
  scene.MaskSheet = Surface();
  scene.MaskSheet.SetSize(width, height);
  Surface inverted;
  inverted.SetSize(width, height);

  scene.MaskSheet.BrushColor = Yellow;
  scene.MaskSheet.PenColor = Yellow;
  scene.MaskSheet.FillArea(0, 0, width, height);
  inverted.Mode = CopyMode::NotSrcCopy;
  inverted.CopyArea(whole, scene.IconSheet, whole);
  scene.MaskSheet.Mode = CopyMode::SrcAnd;
  scene.MaskSheet.CopyArea(whole, inverted, whole);
}

namespace {

void ComposeFreshMarker(Scene& scene, uint8_t kind, Color pc) {
  Surface& marker = scene.MarkerBitmap;
  const int cell = scene.CellSize;
  marker.PenColor = marker.TransparentColor;
  marker.BrushColor = marker.TransparentColor;
  marker.DrawRectangle(0, 0, cell, cell);

  marker.BrushColor = pc;
  marker.Mode = CopyMode::SrcAnd;
  const Area all{0, 0, cell, cell};

  // Troop-shaped is whatever is neither a building nor a mine: so a unit of a kind no legend names
  // (0, say) gets the circle, and for its icon what lies outside the sheet where one would be.
  const world::KindGroup group = world::GroupOf(kind);
  if (group != world::KindGroup::Building && group != world::KindGroup::Mine) {
    marker.PenColor = Black;
    marker.DrawEllipse(2, 2, cell - 2, cell - 2);
    const Area icon = IconArea(kind - 1, cell);
    marker.CopyArea(all, scene.IconSheet, icon);
    // On a dark colour the icon's black lines would vanish; the mask turns them yellow.
    if (!IsLightColor(pc)) {
      marker.Mode = CopyMode::SrcPaint;
      marker.CopyArea(all, scene.MaskSheet, icon);
    }
  } else if (group == world::KindGroup::Building) {
    marker.PenColor = pc;
    const Area block = BuildingBlock(kind);
    marker.DrawRectangle(block.x1, block.y1, block.x2, block.y2);
    marker.CopyArea(all, scene.IconSheet, IconArea(kind - 1, cell));
  } else {
    marker.CopyArea(all, scene.MineSheet, IconArea(kind - world::FirstMineUnitKind, cell));
  }
}

MarkerCache::Sources SourcesOf(const Scene& scene) {
  return {scene.IconSheet.ContentId(), scene.MineSheet.ContentId(), scene.MaskSheet.ContentId(),
          scene.MarkerBitmap.TransparentColor, scene.CellSize};
}

// The kept marker of `kind` for `player`, composed in MarkerBitmap and kept first when the cache
// does not hold it yet; null for markers that are not kept. A marker that covers MarkerBitmap
// exactly owes nothing to what the bitmap held before, so only such markers are kept.
MarkerCache::Marker* KeptMarker(Scene& scene, uint8_t kind, uint8_t player) {
  const Surface& marker = scene.MarkerBitmap;
  const int cell = scene.CellSize;
  if (cell <= 0 || marker.Width() != cell || marker.Height() != cell) return nullptr;
  MarkerCache::Marker* kept = scene.Markers.Place(SourcesOf(scene), kind, player);
  if (!kept) return nullptr;
  const Color pc = scene.Palette[player];
  if (kept->picture.Width() == cell && kept->color == pc) return kept;
  ComposeFreshMarker(scene, kind, pc);
  kept->picture = marker;
  kept->color = pc;
  return kept;
}

}  // namespace

void ComposeMarker(Scene& scene, uint8_t kind, uint8_t player) {
  Surface& marker = scene.MarkerBitmap;
  const MarkerCache::Marker* kept = KeptMarker(scene, kind, player);
  if (!kept) {
    const bool knownPlayer = player >= 1 && player <= world::MaxPlayers;
    ComposeFreshMarker(scene, kind, knownPlayer ? scene.Palette[player] : Black);
    return;
  }
  const Surface& picture = kept->picture;
  std::memcpy(marker.Row(0), picture.Row(0), size_t(picture.Width()) * size_t(picture.Height()) * sizeof(Color));
  marker.PenColor = picture.PenColor;
  marker.BrushColor = picture.BrushColor;
  marker.Mode = picture.Mode;
}

void DrawCurrentUnit(Scene& scene, const world::TMap& World, const EditingState& state, uint8_t x,
                     uint8_t y) {
  if (!IsCurrentUnitValid(state)) return;
  const MapPixel at = CellToPixel(scene, x, y);
  const uint8_t kind = World.players[state.CurrentPlayer].units[state.CurrentUnit].kind;
  ComposeMarker(scene, kind, state.CurrentPlayer);
  scene.ComposedMap.DrawMarker(scene.MarkerBitmap, at.px, at.py, x, y, scene.CellSize);
  DrawMarkerInView(scene, scene.MarkerBitmap, at.px + scene.OriginX, at.py + scene.OriginY);
}

void Restoreklet(Scene& scene, const world::TMap& World, uint8_t PlayerCount, EditingState& state,
                 uint8_t x, uint8_t y) {
  const MapPixel at = CellToPixel(scene, x, y);
  const Area cell{at.px, at.py, at.px + scene.CellSize, at.py + scene.CellSize};
  const Area onWindow = Intersection({cell.x1 + scene.OriginX, cell.y1 + scene.OriginY,
                                      cell.x2 + scene.OriginX, cell.y2 + scene.OriginY},
                                     ViewArea(scene));
  const Area fromMap{onWindow.x1 - scene.OriginX, onWindow.y1 - scene.OriginY, onWindow.x2 - scene.OriginX,
                     onWindow.y2 - scene.OriginY};
  scene.ComposedMap.RestoreCell(cell, scene.CleanMap);
  scene.Window.Mode = CopyMode::SrcCopy;
  if (!IsEmpty(onWindow)) scene.Window.CopyArea(onWindow, scene.CleanMap, fromMap);

  // The last unit standing on the cell wins: the highest player, within it the highest unit.
  uint8_t foundPlayer = 0, foundUnit = 0;
  world::ForEachUnit(World, PlayerCount, [&](int p, int u, const world::TUnit& unit) {
    if (unit.x == x && unit.y == y) {
      foundPlayer = uint8_t(p);
      foundUnit = uint8_t(u);
    }
  });
  if (foundPlayer == 0) return;
  const EditingState saved = state;
  state.CurrentPlayer = foundPlayer;
  state.CurrentUnit = foundUnit;
  DrawCurrentUnit(scene, World, state, x, y);
  state.CurrentPlayer = saved.CurrentPlayer;
  state.CurrentUnit = saved.CurrentUnit;
}

void Lmdraw(Scene& scene, EditingState& state, uint8_t kind, uint8_t player) {
  scene.MarkerBitmap.Transparent = false;
  ComposeMarker(scene, kind, player);
  scene.Window.Mode = CopyMode::SrcCopy;
  scene.Window.DrawSurface(30, 0, scene.MarkerBitmap);
  state.Holding = true;
  scene.MarkerBitmap.Transparent = true;
}

namespace {

// A unit of the turn, by player and index; a turn file lists them in this order.
struct TurnUnit {
  uint8_t player, unit;
};

std::vector<TurnUnit> UnitsInFileOrder(const world::TMap& World, uint8_t PlayerCount) {
  std::vector<TurnUnit> units;
  for (int p = 1; p <= std::min<int>(PlayerCount, world::MaxPlayers); ++p)
    for (int u = 1; u <= std::min<int>(World.players[p].count, world::MaxUnits); ++u)
      units.push_back({uint8_t(p), uint8_t(u)});
  return units;
}

// CleanMap over ComposedMap, then the units in file order, each made the current unit and drawn.
void DrawTurnUnitByUnit(Scene& scene, const world::TMap& World, EditingState& state,
                        const std::vector<TurnUnit>& units) {
  scene.ComposedMap.PlaceClean(scene.CleanMap);
  for (const TurnUnit& u : units) {
    state.CurrentPlayer = u.player;
    state.CurrentUnit = u.unit;
    if (!IsCurrentUnitValid(state)) continue;
    const world::TUnit& entry = World.players[u.player].units[u.unit];
    DrawCurrentUnit(scene, World, state, entry.x, entry.y);
  }
}

// The same pixels and state as DrawTurnUnitByUnit, made band by band: each row of cells gets its
// part of CleanMap and, at once, its markers, while those map rows are still in the processor's
// cache. A marker is one cell high, so markers of different rows of cells never share a pixel
// row and only their order within one row of cells matters; that order is the file's.
// Where ComposedMap knows which cells hold drawings, only those get their part of CleanMap back,
// since everywhere else it already equals CleanMap.
void DrawTurnInBands(Scene& scene, const world::TMap& World, EditingState& state,
                     const std::vector<TurnUnit>& units, bool onWindow) {
  // The units sorted by their row, in file order within a row, each with its kept marker.
  std::array<uint32_t, 257> rowStart{};
  for (const TurnUnit& u : units) ++rowStart[World.players[u.player].units[u.unit].y + 1];
  for (size_t y = 1; y < rowStart.size(); ++y) rowStart[y] += rowStart[y - 1];
  std::vector<MarkedMap::TurnMarker> markers(units.size());
  std::array<uint32_t, 256> next{};
  std::copy(rowStart.begin(), rowStart.end() - 1, next.begin());
  for (const TurnUnit& u : units) {
    const world::TUnit& entry = World.players[u.player].units[u.unit];
    MarkerCache::Marker* kept = KeptMarker(scene, entry.kind, u.player);
    // Every kind a turn file gives (0..19) of every player is kept while markers fill a cell.
    if (!kept) return DrawTurnUnitByUnit(scene, World, state, units);
    kept->picture.Transparent = scene.MarkerBitmap.Transparent;
    const MapPixel at = CellToPixel(scene, entry.x, entry.y);
    markers[next[entry.y]++] = {&kept->picture, at.px, at.py, entry.x, entry.y};
  }

  // A view about to be painted anew is composed first; the rest waits until it is read.
  const Area view = VisibleView(scene);
  const Area viewOnMap{view.x1 - scene.OriginX, view.y1 - scene.OriginY, view.x2 - scene.OriginX, view.y2 - scene.OriginY};
  if (onWindow) {
    scene.ComposedMap.DrawTurn(scene.CleanMap, scene.CellSize, markers, rowStart);
    for (const MarkedMap::TurnMarker& m : markers)
      DrawMarkerInView(scene, *m.picture, m.px + scene.OriginX, m.py + scene.OriginY);
  } else {
    scene.ComposedMap.DrawTurn(scene.CleanMap, scene.CellSize, std::move(markers), rowStart, &viewOnMap);
  }

  if (units.empty()) return;
  state.CurrentPlayer = units.back().player;
  state.CurrentUnit = units.back().unit;
  // MarkerBitmap holds the marker drawn last in file order.
  const TurnUnit& last = units.back();
  ComposeMarker(scene, World.players[last.player].units[last.unit].kind, last.player);
}

}  // namespace

void DrawTurn(Scene& scene, const world::TMap& World, uint8_t PlayerCount, EditingState& state,
              bool formPaintFollows) {
  const std::vector<TurnUnit> units = UnitsInFileOrder(World, PlayerCount);
  // Banding relies on markers exactly one cell high and on CleanMap being copied, not keyed.
  const Surface& marker = scene.MarkerBitmap;
  const bool bandable = scene.CellSize > 0 && marker.Width() == scene.CellSize &&
                        marker.Height() == scene.CellSize && !scene.CleanMap.Transparent;
  // FormPaint fills the whole view when the map's corner is not inside it, and the view is where
  // the markers reach the window; so when it follows at once, markers on the window go unseen.
  const bool viewRepainted = formPaintFollows && scene.OriginX <= scene.ViewLeft && scene.OriginY <= scene.ViewTop;
  if (bandable)
    DrawTurnInBands(scene, World, state, units, !viewRepainted);
  else
    DrawTurnUnitByUnit(scene, World, state, units);
}

void ReadTurnFileAndDraw(Scene& scene, world::TMap& World, uint8_t& PlayerCount, EditingState& state,
                         const std::filesystem::path& fileName, bool formPaintFollows) {
  world::ReadTurnFile(World, PlayerCount, fileName);
  DrawTurn(scene, World, PlayerCount, state, formPaintFollows);
}

}  // namespace render
