#pragma once
// How each player's forces stand year by year: units per kind and per group.

#include <array>
#include <string>
#include <vector>

#include "chronicle/Turn.h"

namespace chronicle {

struct PlayerStats {
  int player = 0;
  std::string name;  // Windows-1251, as the turn has it
  std::array<int, world::KindCount> kinds{};  // units of kind 1 first
  GroupCounts groups;
};

struct YearStats {
  int32_t year = 0;
  std::vector<PlayerStats> players;  // players 1..the turn's player count
};

// One entry per turn, in order of year; turns of the same year keep the order they were given in.
std::vector<YearStats> CollectStats(const std::vector<Turn>& turns);

}  // namespace chronicle
