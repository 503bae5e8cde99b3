#include "export/ChronicleJson.h"

#include "export/Json.h"

namespace exporting {

std::string GroupsJson(const world::GroupCounts& counts) {
  return JsonObject().Add("troops", counts.troops).Add("buildings", counts.buildings).Add("mines", counts.mines).str();
}

std::string PlayerStatsJson(const chronicle::PlayerStats& player) {
  JsonArray kinds;
  for (int count : player.kinds) kinds.Add(count);
  return JsonObject()
      .Add("player", player.player)
      .Add("name", JsonCp1251String(player.name))
      .Add("kinds", kinds.str())
      .Add("troops", player.groups.troops)
      .Add("buildings", player.groups.buildings)
      .Add("mines", player.groups.mines)
      .Add("total", player.groups.Total())
      .str();
}

}  // namespace exporting
