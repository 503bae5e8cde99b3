#pragma once
// Painting the main window's surface: the view of ComposedMap, the kind strip, the colour strip.

#include <cstdint>

#include "render/Scene.h"

namespace render {

void FormPaint(Scene& scene, uint8_t PlayerCount);
void PaintColorStrip(Scene& scene, uint8_t PlayerCount);
// Shows an area of the map (in map pixels) on the window again, inside the view, as FormPaint
// shows it: ComposedMap where the picture is, the window colour beyond it.
void PaintMapArea(Scene& scene, Area mapArea);
// A full repaint request: the window colour everywhere, then FormPaint.
void RepaintWindow(Scene& scene, uint8_t PlayerCount);
// The hidden scroll bars' change handlers, with the bar's position.
void ScrollBar1Change(Scene& scene, uint8_t PlayerCount, int position);
void ScrollBar2Change(Scene& scene, uint8_t PlayerCount, int position);

}  // namespace render
