#include "chronicle/Diff.h"

#include <algorithm>
#include <cstdlib>

#include "chronicle/Assignment.h"

namespace chronicle {

namespace {

struct Cell {
  int x, y;
};

// The cells of a player's units of one kind, in list order.
std::vector<Cell> CellsOfKind(const world::TPlayer* player, int kind) {
  std::vector<Cell> cells;
  if (!player) return cells;
  world::ForEachUnitOf(*player, [&](int, const world::TUnit& unit) {
    if (unit.kind == kind) cells.push_back({unit.x, unit.y});
  });
  return cells;
}

void DiffKind(int kind, const std::vector<Cell>& before, const std::vector<Cell>& after, PlayerChanges& changes) {
  // The shorter list takes the rows, so that every one of its units finds a partner.
  const bool beforeIsRows = before.size() <= after.size();
  const std::vector<Cell>& rows = beforeIsRows ? before : after;
  const std::vector<Cell>& columns = beforeIsRows ? after : before;
  std::vector<std::vector<int>> cost(rows.size(), std::vector<int>(columns.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < columns.size(); ++c) cost[r][c] = CellDistance(rows[r].x, rows[r].y, columns[c].x, columns[c].y);
  const std::vector<int> partner = MinCostAssignment(cost, int(columns.size()));
  std::vector<bool> paired(columns.size(), false);
  for (size_t r = 0; r < rows.size(); ++r) {
    const Cell from = beforeIsRows ? rows[r] : columns[size_t(partner[r])];
    const Cell to = beforeIsRows ? columns[size_t(partner[r])] : rows[r];
    paired[size_t(partner[r])] = true;
    if (from.x != to.x || from.y != to.y) changes.moved.push_back({kind, from.x, from.y, to.x, to.y});
  }
  std::vector<Placed>& unpaired = beforeIsRows ? changes.added : changes.removed;
  for (size_t c = 0; c < columns.size(); ++c)
    if (!paired[c]) unpaired.push_back({kind, columns[c].x, columns[c].y});
}

}  // namespace

int CellDistance(int x1, int y1, int x2, int y2) { return std::max(std::abs(x1 - x2), std::abs(y1 - y2)); }

TurnChanges DiffTurns(const Turn& older, const Turn& newer) {
  TurnChanges changes{older.world->Year, newer.world->Year, {}};
  const int players = std::min<int>(std::max(older.playerCount, newer.playerCount), world::MaxPlayers);
  for (int p = 1; p <= players; ++p) {
    const world::TPlayer* before = p <= older.playerCount ? &older.world->players[p] : nullptr;
    const world::TPlayer* after = p <= newer.playerCount ? &newer.world->players[p] : nullptr;
    PlayerChanges player;
    player.player = p;
    player.name = after ? after->name : before->name;
    if (before && after && before->name != after->name) player.renamedFrom = before->name;
    if (before) player.before = CountGroups(*before);
    if (after) player.after = CountGroups(*after);
    // Every kind a unit may have, the odd ones of hand-made files too.
    for (int kind = 0; kind <= 255; ++kind) {
      const std::vector<Cell> was = CellsOfKind(before, kind), is = CellsOfKind(after, kind);
      if (!was.empty() || !is.empty()) DiffKind(kind, was, is, player);
    }
    std::sort(player.added.begin(), player.added.end());
    std::sort(player.removed.begin(), player.removed.end());
    std::sort(player.moved.begin(), player.moved.end());
    changes.players.push_back(std::move(player));
  }
  return changes;
}

}  // namespace chronicle
