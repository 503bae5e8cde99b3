#include "world/LandFile.h"

#include <algorithm>

#include "world/CellList.h"
#include "world/TextReader.h"

namespace world {
namespace {

void ReadGridRow(TMap& World, int y, const std::string& row) {
  if (y > MapHeight) return;
  const int width = std::min<int>(int(row.size()), MapWidth);
  for (int x = 1; x <= width; ++x) World.cells[x][y].land = uint8_t(row[x - 1]);
}

void ReadMineLine(TMap& World, uint8_t kind, const std::string& line) {
  CellText cell;
  for (CellListReader cells(CellListOf(line)); cells.Next(cell);) {
    // Coordinates keep their low 8 bits, as the bytes they are stored in would.
    const uint8_t x = uint8_t(LenientInteger(cell.x));
    const uint8_t y = uint8_t(LenientInteger(cell.y));
    if (IsOnMap(x, y)) World.cells[x][y].mine = kind;
  }
}

}  // namespace

void ReadLandFile(TMap& World, uint8_t& LandCount, const std::filesystem::path& fileName) {
  TextReader file(fileName);
  file.SkipLine();
  file.SkipLine();
  const uint8_t rowCount = uint8_t(file.ReadInteger());
  file.SkipLine();
  file.SkipLine();
  for (int y = 1; y <= rowCount; ++y) ReadGridRow(World, y, file.ReadLine());
  for (uint8_t kind = 1; kind <= MineKindCount; ++kind) ReadMineLine(World, kind, file.ReadLine());
  file.SkipLine();

  while (!file.AtEnd()) {
    const std::string keyLine = file.ReadLine();
    // A blank line where a block should begin (typically at the end of the file) is passed over.
    if (keyLine.empty()) continue;
    const uint8_t key = uint8_t(keyLine[0]);
    std::string name = file.ReadLine();
    // Key 0 names no land; its block is read so that the next one starts in the right place.
    if (key != 0) World.lands[key].name = std::move(name);
    const int32_t income = file.ReadInteger();
    file.SkipLine();
    if (key != 0) World.lands[key].income = income;
  }
  LandCount = MaxLands;
}

}  // namespace world
