#pragma once
// The chronicle's figures as JSON, the same for the tool's output and the published site's data.

#include <string>

#include "chronicle/Stats.h"

namespace exporting {

// {"troops": 3, "buildings": 2, "mines": 1}
std::string GroupsJson(const world::GroupCounts& counts);

// {"player", "name", "kinds" (units of kind 1 first), "troops", "buildings", "mines", "total"}
std::string PlayerStatsJson(const chronicle::PlayerStats& player);

}  // namespace exporting
