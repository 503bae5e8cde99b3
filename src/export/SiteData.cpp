#include "export/SiteData.h"

#include <algorithm>
#include <cstdio>

#include "chronicle/Diff.h"
#include "chronicle/Stats.h"
#include "render/Geometry.h"
#include "export/ChronicleJson.h"
#include "export/Json.h"
#include "export/WorldJson.h"

namespace exporting {

namespace {

using exporting::JsonArray;
using exporting::JsonCp1251String;
using exporting::JsonObject;
using exporting::JsonString;

// A flat array of small numbers, such as a unit's [x, y, kind]: written directly, since an epoch
// holds hundreds of thousands of them.
template <typename... Numbers>
void AppendTuple(std::string& out, Numbers... numbers) {
  out += '[';
  bool first = true;
  for (long long number : {static_cast<long long>(numbers)...}) {
    if (!first) out += ", ";
    out += std::to_string(number);
    first = false;
  }
  out += ']';
}

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

std::string KindsJson() {
  JsonArray kinds;
  for (int k = 1; k <= world::KindCount; ++k)
    kinds.Add(JsonObject()
                  .Add("code", k)
                  .Add("word", JsonString(world::InfoOfKind(k).legendWord))
                  .Add("group", JsonString(GroupName(k)))
                  .str());
  return kinds.str();
}

std::string MineNamesJson() {
  JsonArray names;
  for (int k = 1; k <= world::MineKindCount; ++k) names.Add(JsonString(world::MineNames[size_t(k)]));
  return names.str();
}

std::string MinesJson(const world::TMap& land) {
  std::string mines = "[";
  for (int y = 1; y <= world::MapHeight; ++y)
    for (int x = 1; x <= world::MapWidth; ++x)
      if (const int mine = land.cells[x][y].mine; mine >= 1 && mine <= world::MineKindCount) {
        if (mines.size() > 1) mines += ", ";
        AppendTuple(mines, x, y, mine);
      }
  return mines + "]";
}

// The lands the land file named, by index, for the page to look up.
std::string LandsJson(const world::TMap& land) {
  JsonObject lands;
  for (int k = 1; k <= world::MaxLands; ++k) {
    const world::zemla& entry = land.lands[size_t(k)];
    if (!exporting::IsNamedLand(entry)) continue;
    lands.Add(std::to_string(k), JsonObject().Add("name", JsonCp1251String(entry.name)).Add("income", entry.income).str());
  }
  return lands.str();
}

std::string PlayerColorsJson(const world::TPalette& palette) {
  JsonArray players;
  for (int p = 1; p <= world::MaxPlayers; ++p)
    players.Add(JsonObject().Add("player", p).Add("color", JsonString(ColorText(palette[size_t(p)]))).str());
  return players.str();
}

std::string YearEntryJson(const chronicle::YearStats& stats) {
  JsonArray players;
  for (const chronicle::PlayerStats& player : stats.players) players.Add(exporting::PlayerStatsJson(player));
  return JsonObject()
      .Add("year", stats.year)
      .Add("map", JsonString(MapFileName(stats.year)))
      .Add("data", JsonString(DataFileName(stats.year)))
      .Add("players", players.str())
      .str();
}

std::string UnitsJson(const world::TPlayer& player) {
  std::string units = "[";
  for (int u = 1; u <= std::min<int>(player.count, world::MaxUnits); ++u) {
    const world::TUnit& unit = player.units[size_t(u)];
    if (u > 1) units += ", ";
    AppendTuple(units, unit.x, unit.y, unit.kind);
  }
  return units + "]";
}

// A list of tuples, one for each item, such as the units a year added or moved.
template <typename Item, typename Append>
std::string TupleListJson(const std::vector<Item>& items, Append appendTuple) {
  std::string list = "[";
  for (const Item& item : items) {
    if (list.size() > 1) list += ", ";
    appendTuple(list, item);
  }
  return list + "]";
}

std::string PlacedJson(const std::vector<chronicle::Placed>& placed) {
  return TupleListJson(placed, [](std::string& out, const chronicle::Placed& u) { AppendTuple(out, u.kind, u.x, u.y); });
}

std::string MovedJson(const std::vector<chronicle::Moved>& moved) {
  return TupleListJson(moved, [](std::string& out, const chronicle::Moved& u) {
    AppendTuple(out, u.kind, u.fromX, u.fromY, u.toX, u.toY);
  });
}

// Only the players with a change: a year in which little happened stays small.
std::string DiffJson(const chronicle::Turn& older, const chronicle::Turn& newer) {
  const chronicle::TurnChanges changes = chronicle::DiffTurns(older, newer);
  JsonArray players;
  for (const chronicle::PlayerChanges& player : changes.players) {
    if (player.added.empty() && player.removed.empty() && player.moved.empty() && !player.renamedFrom) continue;
    JsonObject json;
    json.Add("player", player.player).Add("name", JsonCp1251String(player.name));
    if (player.renamedFrom) json.Add("renamedFrom", JsonCp1251String(*player.renamedFrom));
    json.Add("added", PlacedJson(player.added))
        .Add("removed", PlacedJson(player.removed))
        .Add("moved", MovedJson(player.moved))
        .Add("before", exporting::GroupsJson(player.before))
        .Add("after", exporting::GroupsJson(player.after));
    players.Add(json.str());
  }
  return JsonObject().Add("from", changes.oldYear).Add("players", players.str()).str();
}

}  // namespace

std::string MapFileName(int32_t year) { return "maps/" + std::to_string(year) + ".png"; }
std::string DataFileName(int32_t year) { return "data/" + std::to_string(year) + ".js"; }

std::string EpochScript(const SiteWorld& world, const Years& years) {
  JsonArray yearList;
  for (const chronicle::YearStats& stats : chronicle::CollectStats(years)) yearList.Add(YearEntryJson(stats));
  const std::string map = JsonObject()
                              .Add("width", world.mapWidth)
                              .Add("height", world.mapHeight)
                              .Add("cellSize", world.cellSize)
                              .Add("cellLeft", render::MapMarginX)
                              .Add("cellTop", render::MapMarginY - world.cellSize)
                              .Add("columns", world::MapWidth)
                              .Add("rows", world::MapHeight)
                              .str();
  const std::string json = JsonObject()
                               .Add("format", 1)
                               .Add("title", JsonString(world.title))
                               .Add("map", map)
                               .Add("kinds", KindsJson())
                               .Add("mineNames", MineNamesJson())
                               .Add("land", exporting::CellGridJson(*world.land, [](const world::TCell& cell) { return cell.land; }))
                               .Add("mines", MinesJson(*world.land))
                               .Add("lands", LandsJson(*world.land))
                               .Add("players", PlayerColorsJson(*world.palette))
                               .Add("years", yearList.str())
                               .str();
  return "Tirmagor.epoch(" + json + ");\n";
}

std::string YearScript(const Years& years, size_t index) {
  const chronicle::Turn& turn = years[index];
  JsonArray players;
  for (int p = 1; p <= std::min<int>(turn.playerCount, world::MaxPlayers); ++p) {
    const world::TPlayer& player = turn.world->players[size_t(p)];
    players.Add(JsonObject().Add("player", p).Add("name", JsonCp1251String(player.name)).Add("units", UnitsJson(player)).str());
  }
  const std::string diff = index == 0 ? "null" : DiffJson(years[index - 1], turn);
  const std::string json =
      JsonObject().Add("year", turn.world->Year).Add("players", players.str()).Add("diff", diff).str();
  return "Tirmagor.year(" + json + ");\n";
}

}  // namespace exporting
