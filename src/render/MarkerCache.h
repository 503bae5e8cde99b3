#pragma once
// Markers composed before, so that the thousands of units of a turn cost one composition per
// kind and player colour. ComposeMarker fills and uses it; a kept marker is used only while
// everything it was composed from is as it was.

#include <array>
#include <cstdint>

#include "render/Surface.h"

namespace render {

class MarkerCache {
 public:
  // What a marker is made of besides its kind and colour.
  struct Sources {
    uint64_t iconSheet = 0;  // ContentId of each sheet
    uint64_t mineSheet = 0;
    uint64_t maskSheet = 0;
    Color transparentColor = 0;
    int cellSize = 0;
    bool operator==(const Sources&) const = default;
  };

  // A copy of MarkerBitmap as composing the marker left it: pixels and drawing state.
  struct Marker {
    Surface picture;  // 0 x 0 until composed
    Color color = 0;  // the player colour it was composed in
  };

  // Kinds 0..19 (0 is what the preview shows before a kind is chosen) of players 1..27.
  static constexpr int Kinds = 20;
  static constexpr int Players = 28;

  // The place of the marker of `kind` for `player`; null for kinds and players not kept. Every
  // kept marker is dropped first when the sources differ from those of the last call.
  Marker* Place(const Sources& sources, uint8_t kind, uint8_t player) {
    if (kind >= Kinds || player < 1 || player >= Players) return nullptr;
    if (!(sources == sources_)) {
      for (Marker& marker : markers_) marker.picture = Surface();
      sources_ = sources;
    }
    return &markers_[size_t(kind) * Players + player];
  }

 private:
  Sources sources_;
  std::array<Marker, size_t(Kinds) * Players> markers_;
};

}  // namespace render
