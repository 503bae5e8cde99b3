#pragma once
// Twenty-one years of a game played on the demo geography: 27 players whose armies march,
// whose estates grow into cities and fortresses into castles, and whose mines change hands.

#include <vector>

#include "Geography.h"
#include "world/TMap.h"

namespace demo {

constexpr int EpochFirstYear = 0;
constexpr int EpochLastYear = 20;
constexpr int EpochPlayerCount = world::MaxPlayers;

// One world per year, from EpochFirstYear to EpochLastYear: the geography's cells and lands,
// Year, and players 1..EpochPlayerCount.
std::vector<world::TMap> PlayEpoch(const Geography& geography);

}  // namespace demo
