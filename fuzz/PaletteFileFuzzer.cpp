// The palette reader on any bytes. Lines set players from 1 on, so the colours it set are
// always players 1..n and the others keep theirs; a failure is a bad number and nothing else;
// and reading the same file a second time changes nothing and ends the same way.

#include "FuzzSupport.h"
#include "world/Palette.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Colours with a top byte, which no file can give, so that untouched entries show.
  static const world::TPalette startingPalette = [] {
    world::TPalette palette{};
    for (int p = 0; p <= world::MaxPlayers; ++p) palette[p] = 0xAB000000u | uint32_t(p);
    return palette;
  }();
  const std::filesystem::path file = fuzz::WriteInput("colours.pal", data, size);

  world::TPalette Palette = startingPalette;
  const std::optional<int> error = fuzz::ErrorCode([&] { world::ReadPaletteFile(Palette, file); });
  FUZZ_CHECK(!error || *error == world::IoInvalidNumeric);
  FUZZ_CHECK(Palette[0] == startingPalette[0]);
  int setPlayers = 0;
  while (setPlayers < world::MaxPlayers && Palette[setPlayers + 1] >> 24 != 0xAB) ++setPlayers;
  for (int p = setPlayers + 1; p <= world::MaxPlayers; ++p) FUZZ_CHECK(Palette[p] == startingPalette[p]);

  world::TPalette again = Palette;
  FUZZ_CHECK(fuzz::ErrorCode([&] { world::ReadPaletteFile(again, file); }) == error);
  FUZZ_CHECK(again == Palette);
  return 0;
}
