#pragma once
// The overview: the whole composed map scaled into a small window, with a frame around the part
// the main view shows, and a click in it turned into a place on the map. Free of any widget, so
// that the tests check the picture, the frame and the navigation without a display.

#include <cstdint>

#include "render/Geometry.h"
#include "render/Scene.h"
#include "render/Surface.h"

namespace overview {

// Where the scaled map picture stands in the overview, in overview pixels.
struct Placement {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Placement&) const = default;
};

// The map picture fitted into an overview of `width` by `height`, keeping its proportions,
// centred; empty (0 by 0) when there is no picture or no room.
Placement Fit(int mapWidth, int mapHeight, int width, int height);

// The picture scaled to `width` by `height`, smoothly: where it shrinks to half or less, each
// pixel is the average of the map pixels whose middles fall in its part of the picture.
render::Surface Scaled(const render::Surface& picture, int width, int height);
// The same into `scaled`, with `scratch` for the way there: both keep their memory from one call
// to the next where the sizes stay, so that an overview made again and again allocates nothing.
void ScaleInto(const render::Surface& picture, int width, int height, render::Surface& scaled, render::Surface& scratch);

// The part of the map that the main view shows, framed in overview pixels (right and bottom
// edges excluded), clipped to the picture.
render::Area ViewFrame(const render::Scene& scene, const Placement& placed);

// The map pixel under overview pixel (x, y); a point beside the picture takes the nearest edge.
render::MapPixel MapPixelAt(const render::Scene& scene, const Placement& placed, int x, int y);

// The scaled picture of ComposedMap, made again only when the picture or the overview's size
// has changed since it was last made.
class Overview {
 public:
  // Brings the picture up to date for an overview of `width` by `height`; true when it was made anew.
  bool Refresh(const render::Scene& scene, int width, int height);
  const render::Surface& Picture() const { return picture_; }
  const Placement& Placed() const { return placed_; }
  // Whether the last picture was made by working out only the pixels over the cells drawn on
  // ComposedMap, taking the rest from CleanMap's overview: the fast way after a turn or an edit.
  bool MadeFromDrawnCells() const { return fromDrawnCells_; }

 private:
  render::Surface picture_;
  render::Surface scratch_;
  render::Surface clean_;  // CleanMap's overview at the same size
  uint64_t cleanFrom_ = 0;
  bool fromDrawnCells_ = false;
  Placement placed_;
  uint64_t madeFrom_ = 0;  // ContentId of the ComposedMap it was made from
  int madeForWidth_ = -1, madeForHeight_ = -1;
};

}  // namespace overview
