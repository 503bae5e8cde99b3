#include "chronicle/Stats.h"

#include <algorithm>

namespace chronicle {

std::vector<YearStats> CollectStats(const std::vector<Turn>& turns) {
  std::vector<YearStats> years;
  for (const Turn& turn : turns) {
    YearStats year{turn.world->Year, {}};
    for (int p = 1; p <= std::min<int>(turn.playerCount, world::MaxPlayers); ++p) {
      const world::TPlayer& player = turn.world->players[p];
      PlayerStats stats{p, player.name, {}, CountGroups(player)};
      world::ForEachUnitOf(player, [&](int, const world::TUnit& unit) {
        if (world::IsKnownKind(unit.kind)) ++stats.kinds[size_t(unit.kind) - 1];
      });
      year.players.push_back(std::move(stats));
    }
    years.push_back(std::move(year));
  }
  std::stable_sort(years.begin(), years.end(), [](const YearStats& a, const YearStats& b) { return a.year < b.year; });
  return years;
}

}  // namespace chronicle
