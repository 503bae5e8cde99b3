#include "export/ChronicleJson.h"

namespace exporting {

Json GroupsJson(const world::GroupCounts& counts) {
  return {{"troops", counts.troops}, {"buildings", counts.buildings}, {"mines", counts.mines}};
}

Json PlayerStatsJson(const chronicle::PlayerStats& player) {
  return {{"player", player.player},
          {"name", NameJson(player.name)},
          {"kinds", player.kinds},
          {"troops", player.groups.troops},
          {"buildings", player.groups.buildings},
          {"mines", player.groups.mines},
          {"total", player.groups.Total()}};
}

Json StatsJson(const std::vector<chronicle::YearStats>& years) {
  Json list = Json::array();
  for (const chronicle::YearStats& year : years) {
    Json players = Json::array();
    for (const chronicle::PlayerStats& player : year.players) players.push_back(PlayerStatsJson(player));
    list.push_back({{"year", year.year}, {"players", std::move(players)}});
  }
  return {{"years", std::move(list)}};
}

Json PlayerChangesJson(const chronicle::PlayerChanges& player, UnitForm form) {
  const bool tuples = form == UnitForm::Tuples;
  const auto placed = [&](const std::vector<chronicle::Placed>& units) {
    Json list = Json::array();
    for (const chronicle::Placed& u : units)
      list.push_back(tuples ? Json{u.kind, u.x, u.y} : Json{{"kind", u.kind}, {"x", u.x}, {"y", u.y}});
    return list;
  };
  Json moved = Json::array();
  for (const chronicle::Moved& m : player.moved)
    moved.push_back(tuples ? Json{m.kind, m.fromX, m.fromY, m.toX, m.toY}
                           : Json{{"kind", m.kind}, {"from", {m.fromX, m.fromY}}, {"to", {m.toX, m.toY}}});
  Json json = {{"player", player.player}, {"name", NameJson(player.name)}};
  if (player.renamedFrom) json["renamedFrom"] = NameJson(*player.renamedFrom);
  json["added"] = placed(player.added);
  json["removed"] = placed(player.removed);
  json["moved"] = std::move(moved);
  json["before"] = GroupsJson(player.before);
  json["after"] = GroupsJson(player.after);
  return json;
}

Json TurnChangesJson(const chronicle::TurnChanges& changes) {
  Json players = Json::array();
  for (const chronicle::PlayerChanges& player : changes.players)
    players.push_back(PlayerChangesJson(player, UnitForm::Objects));
  return {{"old", {{"year", changes.oldYear}}}, {"new", {{"year", changes.newYear}}}, {"players", std::move(players)}};
}

}  // namespace exporting
