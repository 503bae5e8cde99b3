#include "tool/Commands.h"
#include "tool/Output.h"
#include "world/Palette.h"

namespace tool {

int PaletteCommand(const Arguments& args) {
  world::TPalette Palette{};
  world::DefaultPalette(Palette);
  const std::optional<std::string> error = ErrorOfRead([&] { world::ReadPaletteFile(Palette, args[0]); });
  exporting::JsonArray colours;
  for (int p = 1; p <= world::MaxPlayers; ++p)
    colours.Add(exporting::JsonArray()
                    .Add(world::RedOf(Palette[p]))
                    .Add(world::GreenOf(Palette[p]))
                    .Add(world::BlueOf(Palette[p]))
                    .str());
  exporting::JsonObject json;
  json.Add("palette", colours.str());
  return PrintResult(json, error);
}

}  // namespace tool
