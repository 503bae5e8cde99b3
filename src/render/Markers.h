#pragma once
// Player-coloured unit markers.

#include <cstdint>
#include <filesystem>

#include "render/Scene.h"
#include "world/TMap.h"

namespace render {

// A colour is light when its red or its green byte is above 128.
bool IsLightColor(Color c);

void BuildMaskSheet(Scene& scene);
// Draws the marker of `kind` in `player`'s colour into MarkerBitmap.
void ComposeMarker(Scene& scene, uint8_t kind, uint8_t player);
// Draws the current unit's marker at cell (x, y) into ComposedMap and onto the window.
void DrawCurrentUnit(Scene& scene, const world::TMap& World, const EditingState& state, uint8_t x,
                     uint8_t y);
// Restores one cell from CleanMap and redraws the last unit found standing there.
void Restoreklet(Scene& scene, const world::TMap& World, uint8_t PlayerCount, EditingState& state,
                 uint8_t x, uint8_t y);
// The selection preview at window (30, 0); sets Holding.
void Lmdraw(Scene& scene, EditingState& state, uint8_t kind, uint8_t player);

// Draws the turn World holds as a turn file lists it: CleanMap is placed over ComposedMap and
// every unit of players 1..PlayerCount is drawn in file order, leaving the current unit on the
// last one. A caller that runs FormPaint right after says so with `formPaintFollows`, which
// spares drawing markers on the window that the paint would cover.
void DrawTurn(Scene& scene, const world::TMap& World, uint8_t PlayerCount, EditingState& state,
              bool formPaintFollows = false);

// ReadTurnFile, then DrawTurn on success. On failure World, PlayerCount and ComposedMap are
// unchanged.
void ReadTurnFileAndDraw(Scene& scene, world::TMap& World, uint8_t& PlayerCount, EditingState& state,
                         const std::filesystem::path& fileName, bool formPaintFollows = false);

}  // namespace render
