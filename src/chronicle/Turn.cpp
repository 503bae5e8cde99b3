#include "chronicle/Turn.h"

#include <algorithm>

#include "world/TurnFile.h"

namespace chronicle {

Turn ReadTurn(const std::filesystem::path& path) {
  Turn turn;
  world::ReadTurnFile(*turn.world, turn.playerCount, path);
  return turn;
}

GroupCounts CountGroups(const world::TPlayer& player) {
  GroupCounts counts;
  for (int u = 1; u <= std::min<int>(player.count, world::MaxUnits); ++u) {
    const int kind = player.units[u].kind;
    if (kind >= 1 && kind < world::FirstBuildingKind) ++counts.troops;
    if (world::IsBuilding(kind)) ++counts.buildings;
    if (kind >= world::FirstMineUnitKind && kind <= world::KindCount) ++counts.mines;
  }
  return counts;
}

}  // namespace chronicle
