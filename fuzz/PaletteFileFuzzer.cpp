// The palette reader on any bytes. Lines set players from 1 on, so the colours it set are
// always players 1..n and the others keep theirs; a failure is a bad number and nothing else;
// and reading the same file a second time changes nothing and ends the same way.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "world/FileError.h"
#include "world/Palette.h"

namespace {

// Colours with a top byte, which no file can give, so that untouched entries show.
world::TPalette StartingPalette() {
  world::TPalette palette{};
  for (int p = 0; p <= world::MaxPlayers; ++p) palette[p] = 0xAB000000u | uint32_t(p);
  return palette;
}

bool Untouched(world::Color c) { return (c >> 24) == 0xAB; }

std::optional<int> Read(world::TPalette& Palette, const std::filesystem::path& file) {
  try {
    world::ReadPaletteFile(Palette, file);
    return std::nullopt;
  } catch (const world::FileError& e) {
    return e.code();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const world::TPalette startingPalette = StartingPalette();
  const std::filesystem::path file = fuzz::ScratchFolder() / "colours.pal";
  fuzz::WriteFile(file, std::string(reinterpret_cast<const char*>(data), size));

  world::TPalette Palette = startingPalette;
  const std::optional<int> error = Read(Palette, file);
  FUZZ_CHECK(!error || *error == world::IoInvalidNumeric);
  FUZZ_CHECK(Palette[0] == startingPalette[0]);
  int setPlayers = 0;
  while (setPlayers < world::MaxPlayers && !Untouched(Palette[setPlayers + 1])) ++setPlayers;
  for (int p = setPlayers + 1; p <= world::MaxPlayers; ++p) FUZZ_CHECK(Palette[p] == startingPalette[p]);

  world::TPalette again = Palette;
  FUZZ_CHECK(Read(again, file) == error);
  FUZZ_CHECK(again == Palette);
  return 0;
}
