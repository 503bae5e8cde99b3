#pragma once
// The chronicle's figures as JSON, the same for the tool's output and the published site's data.

#include <vector>

#include "chronicle/Diff.h"
#include "chronicle/Stats.h"
#include "export/Json.h"

namespace exporting {

// {"troops": 3, "buildings": 2, "mines": 1}
Json GroupsJson(const world::GroupCounts& counts);

// {"player", "name", "kinds" (units of kind 1 first), "troops", "buildings", "mines", "total"}
Json PlayerStatsJson(const chronicle::PlayerStats& player);

// The tool's statistics: {"years": [{"year", "players": [PlayerStatsJson, ...]}, ...]}
Json StatsJson(const std::vector<chronicle::YearStats>& years);

// How a change lists a unit: the tool writes objects ({"kind", "x", "y"}; {"kind", "from": [x, y],
// "to": [x, y]}), the site's data, which holds many, plain tuples ([kind, x, y]; [kind, x, y, x, y]).
enum class UnitForm { Objects, Tuples };

// {"player", "name", "renamedFrom" (only when renamed), "added", "removed", "moved", "before", "after"}
Json PlayerChangesJson(const chronicle::PlayerChanges& player, UnitForm form);

// The tool's diff: {"old": {"year"}, "new": {"year"}, "players": [every player's changes]}
Json TurnChangesJson(const chronicle::TurnChanges& changes);

}  // namespace exporting
