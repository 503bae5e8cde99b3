#include "export/SiteData.h"

#include <algorithm>
#include <cstdio>

#include "chronicle/Diff.h"
#include "chronicle/Stats.h"
#include "render/Geometry.h"
#include "export/ChronicleJson.h"
#include "export/WorldJson.h"

namespace exporting {

namespace {

std::string ColorText(world::Color color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", world::RedOf(color), world::GreenOf(color), world::BlueOf(color));
  return text;
}

const char* GroupName(int kind) {
  switch (world::GroupOf(kind)) {
    case world::KindGroup::Troop: return "troop";
    case world::KindGroup::Building: return "building";
    case world::KindGroup::Mine: return "mine";
    case world::KindGroup::None: break;
  }
  return "none";
}

Json KindsJson() {
  Json kinds = Json::array();
  for (int k = 1; k <= world::KindCount; ++k)
    kinds.push_back({{"code", k}, {"word", world::InfoOfKind(k).legendWord}, {"group", GroupName(k)}});
  return kinds;
}

Json MineNamesJson() {
  Json names = Json::array();
  for (int k = 1; k <= world::MineKindCount; ++k) names.push_back(world::MineNames[size_t(k)]);
  return names;
}

// Each cell mine as [x, y, kind].
Json MinesJson(const world::TMap& land) {
  Json mines = Json::array();
  for (int y = 1; y <= world::MapHeight; ++y)
    for (int x = 1; x <= world::MapWidth; ++x)
      if (const int mine = land.cells[size_t(x)][size_t(y)].mine; mine >= 1 && mine <= world::MineKindCount)
        mines.push_back({x, y, mine});
  return mines;
}

// The lands the land file named, by index, for the page to look up.
Json LandsJson(const world::TMap& land) {
  Json lands = Json::object();
  for (int k = 1; k <= world::MaxLands; ++k) {
    const world::zemla& entry = land.lands[size_t(k)];
    if (IsNamedLand(entry)) lands[std::to_string(k)] = {{"name", NameJson(entry.name)}, {"income", entry.income}};
  }
  return lands;
}

Json PlayerColorsJson(const world::TPalette& palette) {
  Json players = Json::array();
  for (int p = 1; p <= world::MaxPlayers; ++p) players.push_back({{"player", p}, {"color", ColorText(palette[size_t(p)])}});
  return players;
}

Json YearEntryJson(const chronicle::YearStats& stats) {
  Json players = Json::array();
  for (const chronicle::PlayerStats& player : stats.players) players.push_back(PlayerStatsJson(player));
  return {{"year", stats.year},
          {"map", MapFileName(stats.year)},
          {"data", DataFileName(stats.year)},
          {"players", std::move(players)}};
}

// Each unit as [x, y, kind].
Json UnitsJson(const world::TPlayer& player) {
  Json units = Json::array();
  for (int u = 1; u <= std::min<int>(player.count, world::MaxUnits); ++u) {
    const world::TUnit& unit = player.units[size_t(u)];
    units.push_back({unit.x, unit.y, unit.kind});
  }
  return units;
}

// Only the players with a change: a year in which little happened stays small.
Json DiffJson(const chronicle::Turn& older, const chronicle::Turn& newer) {
  const chronicle::TurnChanges changes = chronicle::DiffTurns(older, newer);
  Json players = Json::array();
  for (const chronicle::PlayerChanges& player : changes.players)
    if (!player.added.empty() || !player.removed.empty() || !player.moved.empty() || player.renamedFrom)
      players.push_back(PlayerChangesJson(player, UnitForm::Tuples));
  return {{"from", changes.oldYear}, {"players", std::move(players)}};
}

}  // namespace

std::string MapFileName(int32_t year) { return "maps/" + std::to_string(year) + ".png"; }
std::string DataFileName(int32_t year) { return "data/" + std::to_string(year) + ".js"; }

std::string EpochScript(const SiteWorld& world, const Years& years) {
  Json yearList = Json::array();
  for (const chronicle::YearStats& stats : chronicle::CollectStats(years)) yearList.push_back(YearEntryJson(stats));
  const Json map = {{"width", world.mapWidth},
                    {"height", world.mapHeight},
                    {"cellSize", world.cellSize},
                    {"cellLeft", render::MapMarginX},
                    {"cellTop", render::MapMarginY - world.cellSize},
                    {"columns", world::MapWidth},
                    {"rows", world::MapHeight}};
  const Json json = {{"format", 1},
                     {"title", world.title},
                     {"map", map},
                     {"kinds", KindsJson()},
                     {"mineNames", MineNamesJson()},
                     {"land", CellGridJson(*world.land, &world::TCell::land)},
                     {"mines", MinesJson(*world.land)},
                     {"lands", LandsJson(*world.land)},
                     {"players", PlayerColorsJson(*world.palette)},
                     {"years", std::move(yearList)}};
  return "Tirmagor.epoch(" + JsonText(json) + ");\n";
}

std::string YearScript(const Years& years, size_t index) {
  const chronicle::Turn& turn = years[index];
  Json players = Json::array();
  for (int p = 1; p <= std::min<int>(turn.playerCount, world::MaxPlayers); ++p) {
    const world::TPlayer& player = turn.world->players[size_t(p)];
    players.push_back({{"player", p}, {"name", NameJson(player.name)}, {"units", UnitsJson(player)}});
  }
  const Json json = {{"year", turn.world->Year},
                     {"players", std::move(players)},
                     {"diff", index == 0 ? Json(nullptr) : DiffJson(years[index - 1], turn)}};
  return "Tirmagor.year(" + JsonText(json) + ");\n";
}

}  // namespace exporting
