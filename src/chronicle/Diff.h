#pragma once
// What changed between two turns, player by player: units added, removed and moved.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chronicle/Turn.h"

namespace chronicle {

struct Placed {
  int kind = 0, x = 0, y = 0;
  auto operator<=>(const Placed&) const = default;
};
struct Moved {
  int kind = 0, fromX = 0, fromY = 0, toX = 0, toY = 0;
  auto operator<=>(const Moved&) const = default;
};

struct PlayerChanges {
  int player = 0;
  std::string name;                        // Windows-1251, as the newer turn has it
  std::optional<std::string> renamedFrom;  // the older name, when it differs
  std::vector<Placed> added, removed;      // sorted by kind, then column, then row
  std::vector<Moved> moved;                // sorted by kind, then where from, then where to
  GroupCounts before, after;
  bool operator==(const PlayerChanges&) const = default;
};

struct TurnChanges {
  int32_t oldYear = 0, newYear = 0;
  std::vector<PlayerChanges> players;  // every player of either turn, by number
};

// Players are matched by their place in the file; one that only one turn has gets all its units
// added or removed. Within a player, units of one kind are paired between the turns so that the
// total distance moved (the larger of the column and row differences) is smallest; a pair that
// did not move is no change, and what stays unpaired is added or removed.
TurnChanges DiffTurns(const Turn& older, const Turn& newer);

// Distance between two cells in moves of a unit: the larger of the column and row differences.
int CellDistance(int x1, int y1, int x2, int y2);

}  // namespace chronicle
