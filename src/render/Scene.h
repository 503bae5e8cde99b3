#pragma once
// Everything the map drawing works on: the six pictures of the main window, the window's own
// surface, the player colours and the view geometry.

#include "render/MarkedMap.h"
#include "render/MarkerCache.h"
#include "render/Surface.h"
#include "world/Palette.h"

namespace render {

struct Scene {
  Surface MarkerBitmap;  // scratch for one marker
  Surface CleanMap;      // the map picture without markers
  Surface IconSheet;     // icons of kinds 1..15
  Surface MaskSheet;     // masks of the troop icons, built by BuildMaskSheet
  Surface MineSheet;     // icons of kinds 16..19
  MarkedMap ComposedMap;  // the map picture with markers, and where they stand
  Surface Window;        // the main window's client area

  Color WindowColor = 0xF0F0F0;  // the window's background (the desktop's menu colour)
  world::TPalette Palette{};

  int CellSize = 0;
  int ViewLeft = 0;
  int ViewTop = 0;
  int OriginX = 0;  // window position of map pixel (0, 0)
  int OriginY = 0;
  int KindStripLeft = 0;
  int ColorStripLeft = 0;
  // The view's right and bottom edges: the left edge of the vertical and the top edge of the
  // horizontal hidden scroll bar.
  int ViewRight = 1152;
  int ViewBottom = 816;

  MarkerCache Markers;  // markers composed before, reused by ComposeMarker
};

// Which unit the mouse and the turn reader work on, and whether something is in hand.
struct EditingState {
  bool Holding = false;
  uint8_t SelectedKind = 0;
  uint8_t CurrentPlayer = 0;
  uint8_t CurrentUnit = 0;
};

}  // namespace render
