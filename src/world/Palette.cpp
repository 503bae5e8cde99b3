#include "world/Palette.h"

#include "world/TextReader.h"

namespace world {

void DefaultPalette(TPalette& Palette) {
  Palette = {0,
             Rgb(255, 0, 255),   Rgb(128, 0, 255),   Rgb(255, 128, 64),  Rgb(128, 128, 128),
             Rgb(255, 0, 0),     Rgb(0, 192, 255),   Rgb(0, 255, 0),     Rgb(13, 104, 10),
             Rgb(255, 255, 0),   Rgb(0, 0, 0),       Rgb(0, 0, 255),     Rgb(0, 0, 128),
             Rgb(0, 128, 128),   Rgb(0, 255, 128),   Rgb(0, 255, 255),   Rgb(128, 0, 0),
             Rgb(128, 0, 128),   Rgb(128, 128, 0),   Rgb(128, 128, 255), Rgb(128, 255, 0),
             Rgb(128, 255, 128), Rgb(128, 255, 255), Rgb(255, 0, 128),   Rgb(255, 128, 128),
             Rgb(255, 128, 255), Rgb(255, 255, 128), Rgb(255, 255, 255)};
}

void ReadPaletteFile(TPalette& Palette, const std::filesystem::path& fileName) {
  TextReader file(fileName);
  // Lines past the 27th are still read, so that a malformed one is reported like any other.
  for (int line = 1; !file.AtEnd(); ++line) {
    const uint8_t red = uint8_t(file.ReadInteger());
    const uint8_t green = uint8_t(file.ReadInteger());
    const uint8_t blue = uint8_t(file.ReadInteger());
    file.SkipLine();
    if (line <= MaxPlayers) Palette[line] = Rgb(red, green, blue);
  }
}

}  // namespace world
