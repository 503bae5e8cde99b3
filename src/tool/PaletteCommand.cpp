#include "export/WorldJson.h"
#include "tool/Commands.h"
#include "tool/Output.h"
#include "world/Palette.h"

namespace tool {

int PaletteCommand(const Arguments& args) {
  world::TPalette Palette{};
  world::DefaultPalette(Palette);
  const std::optional<std::string> error = ErrorOfRead([&] { world::ReadPaletteFile(Palette, args[0]); });
  return PrintResult(exporting::PaletteJson(Palette), error);
}

}  // namespace tool
