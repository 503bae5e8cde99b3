// The palette reader on any bytes. Lines set players from 1 on, so the colours it set are
// always players 1..n and the others keep theirs; a failure is a bad number and nothing else.

#include "FuzzSupport.h"
#include "world/Palette.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr world::Color Untouched = 0xAB000000u;  // a top byte, which no file can give
  const std::filesystem::path file = fuzz::WriteInput("colours.pal", data, size);

  world::TPalette Palette;
  Palette.fill(Untouched);
  const std::optional<int> error = fuzz::ErrorCode([&] { world::ReadPaletteFile(Palette, file); });
  FUZZ_CHECK(!error || *error == world::IoInvalidNumeric);
  int setPlayers = 0;
  while (setPlayers < world::MaxPlayers && Palette[setPlayers + 1] != Untouched) ++setPlayers;
  for (int p = setPlayers + 1; p <= world::MaxPlayers; ++p) FUZZ_CHECK(Palette[p] == Untouched);
  FUZZ_CHECK(Palette[0] == Untouched);
  return 0;
}
