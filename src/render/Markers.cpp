#include "render/Markers.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "render/Geometry.h"
#include "world/TurnFile.h"

namespace render {

namespace {

constexpr Color Yellow = 0x00FFFF;
constexpr int TroopKinds = 10;

// The player-coloured block under a building icon, as DrawRectangle corners.
Area BuildingBlock(uint8_t kind) {
  switch (kind) {
    case 11:
      return {7, 10, 10, 13};
    case 15:
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

void DrawMarkerInView(Scene& scene, int x, int y) {
  const Surface& marker = scene.MarkerBitmap;
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

  if (world::IsTroop(kind)) {
    marker.PenColor = Black;
    marker.DrawEllipse(2, 2, cell - 2, cell - 2);
    const Area icon = IconArea(kind - 1, cell);
    marker.CopyArea(all, scene.IconSheet, icon);
    // On a dark colour the icon's black lines would vanish; the mask turns them yellow.
    if (!IsLightColor(pc)) {
      marker.Mode = CopyMode::SrcPaint;
      marker.CopyArea(all, scene.MaskSheet, icon);
    }
  } else if (world::IsBuilding(kind)) {
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

}  // namespace

void ComposeMarker(Scene& scene, uint8_t kind, uint8_t player) {
  Surface& marker = scene.MarkerBitmap;
  const bool knownPlayer = player >= 1 && player <= world::MaxPlayers;
  const Color pc = knownPlayer ? scene.Palette[player] : Black;
  // A marker that covers MarkerBitmap exactly owes nothing to what the bitmap held before, so
  // the same sources always give the same pixels and drawing state.
  const int cell = scene.CellSize;
  const bool keepable = cell > 0 && marker.Width() == cell && marker.Height() == cell;
  MarkerCache::Marker* kept = keepable ? scene.Markers.Place(SourcesOf(scene), kind, player) : nullptr;
  const size_t pixelCount = size_t(cell) * size_t(cell);
  if (kept && kept->pixels.size() == pixelCount && kept->color == pc) {
    std::memcpy(marker.Row(0), kept->pixels.data(), pixelCount * sizeof(Color));
    marker.PenColor = kept->penColor;
    marker.BrushColor = kept->brushColor;
    marker.Mode = kept->mode;
    return;
  }
  ComposeFreshMarker(scene, kind, pc);
  if (!kept) return;
  const Color* composed = std::as_const(marker).Row(0);
  kept->pixels.assign(composed, composed + pixelCount);
  kept->color = pc;
  kept->penColor = marker.PenColor;
  kept->brushColor = marker.BrushColor;
  kept->mode = marker.Mode;
}

void DrawCurrentUnit(Scene& scene, const world::TMap& World, const EditingState& state, uint8_t x,
                     uint8_t y) {
  if (!IsCurrentUnitValid(state)) return;
  const MapPixel at = CellToPixel(scene, x, y);
  const uint8_t kind = World.players[state.CurrentPlayer].units[state.CurrentUnit].kind;
  ComposeMarker(scene, kind, state.CurrentPlayer);
  scene.ComposedMap.DrawSurface(at.px, at.py, scene.MarkerBitmap);
  DrawMarkerInView(scene, at.px + scene.OriginX, at.py + scene.OriginY);
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
  scene.ComposedMap.Mode = CopyMode::SrcCopy;
  scene.ComposedMap.CopyArea(cell, scene.CleanMap, cell);
  scene.Window.Mode = CopyMode::SrcCopy;
  if (!IsEmpty(onWindow)) scene.Window.CopyArea(onWindow, scene.CleanMap, fromMap);

  // The last unit standing on the cell wins: the highest player, within it the highest unit.
  uint8_t foundPlayer = 0, foundUnit = 0;
  const int players = std::min<int>(PlayerCount, world::MaxPlayers);
  for (int p = 1; p <= players; ++p) {
    const world::TPlayer& player = World.players[p];
    const int units = std::min<int>(player.count, world::MaxUnits);
    for (int u = 1; u <= units; ++u)
      if (player.units[u].x == x && player.units[u].y == y) {
        foundPlayer = uint8_t(p);
        foundUnit = uint8_t(u);
      }
  }
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

// Draws the turn as the reader takes it into the world.
class DrawingTurnObserver : public world::TurnReadObserver {
 public:
  DrawingTurnObserver(Scene& scene, const world::TMap& World, EditingState& state)
      : scene_(scene), world_(World), state_(state) {}

  void TurnCommitted() override { scene_.ComposedMap.DrawSurface(0, 0, scene_.CleanMap); }

  void UnitRead(uint8_t player, uint8_t unit) override {
    state_.CurrentPlayer = player;
    state_.CurrentUnit = unit;
    if (!IsCurrentUnitValid(state_)) return;
    const world::TUnit& entry = world_.players[player].units[unit];
    DrawCurrentUnit(scene_, world_, state_, entry.x, entry.y);
  }

 private:
  Scene& scene_;
  const world::TMap& world_;
  EditingState& state_;
};

}  // namespace

void ReadTurnFileAndDraw(Scene& scene, world::TMap& World, uint8_t& PlayerCount,
                         EditingState& state, const std::filesystem::path& fileName) {
  DrawingTurnObserver observer(scene, World, state);
  world::ReadTurnFile(World, PlayerCount, fileName, &observer);
}

}  // namespace render
