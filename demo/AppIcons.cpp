#include "AppIcons.h"

#include <QImage>
#include <stdexcept>
#include <string>

#include "Pictures.h"
#include "world/UnitKind.h"

namespace demo {

namespace fs = std::filesystem;

void WriteAppIcons(const fs::path& folder) {
  render::Surface iconSheet = MakeIconSheet(1, world::FirstMineUnitKind - 1);
  render::Surface mineSheet = MakeIconSheet(world::FirstMineUnitKind, world::KindCount - world::FirstMineUnitKind + 1);
  for (int size : {32, 64, 128, 256}) {
    fs::path dir = folder / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
    fs::create_directories(dir);
    fs::path file = dir / "tirmagor-editor.png";
    const std::vector<uint32_t> pixels = MakeAppIcon(size, iconSheet, mineSheet);
    QImage icon(reinterpret_cast<const uchar*>(pixels.data()), size, size, size * 4, QImage::Format_ARGB32);
    if (!icon.save(QString::fromStdString(file.string()), "PNG")) throw std::runtime_error("cannot write " + file.string());
  }
}

}  // namespace demo
