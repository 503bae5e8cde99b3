#pragma once
#include <array>
#include <cstdint>
#include <filesystem>

#include "world/TMap.h"

namespace world {

// 0x00BBGGRR: red in the low byte, then green, then blue.
using Color = uint32_t;
constexpr Color Rgb(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (uint32_t(b) << 16); }
constexpr uint8_t RedOf(Color c) { return c & 0xFF; }
constexpr uint8_t GreenOf(Color c) { return (c >> 8) & 0xFF; }
constexpr uint8_t BlueOf(Color c) { return (c >> 16) & 0xFF; }

// One colour per player record; entry 0 is unused.
using TPalette = std::array<Color, MaxPlayers + 1>;

void DefaultPalette(TPalette& Palette);
// Line n of the file sets player n (n <= 27); colours of players past the last line stay.
void ReadPaletteFile(TPalette& Palette, const std::filesystem::path& fileName);

}  // namespace world
