#include <iostream>

#include "chronicle/Diff.h"
#include "export/ChronicleJson.h"
#include "tool/Commands.h"
#include "tool/Output.h"
#include "tool/Options.h"
#include "tool/Usage.h"
#include "world/Cp1251.h"

namespace tool {
namespace {

std::string CellText(int x, int y) { return std::to_string(x) + "-" + std::to_string(y); }

std::string GroupsText(const chronicle::GroupCounts& before, const chronicle::GroupCounts& after) {
  auto one = [](const char* group, int was, int is) {
    return std::string(group) + " " + std::to_string(was) + (was == is ? "" : " → " + std::to_string(is));
  };
  return one("войска", before.troops, after.troops) + ", " + one("строения", before.buildings, after.buildings) + ", " +
         one("рудники", before.mines, after.mines);
}

void PrintText(const chronicle::TurnChanges& changes) {
  std::cout << "Год " << changes.oldYear << " → Год " << changes.newYear << "\n";
  chronicle::GroupCounts before, after;
  for (const chronicle::PlayerChanges& player : changes.players) {
    std::cout << "Игрок " << player.player << ": " << world::Cp1251ToUtf8(player.name);
    if (player.renamedFrom) std::cout << " (был " << world::Cp1251ToUtf8(*player.renamedFrom) << ")";
    std::cout << "\n";
    for (const chronicle::Moved& m : player.moved)
      std::cout << "  " << world::KindLegendWord(m.kind) << " " << CellText(m.fromX, m.fromY) << " → " << CellText(m.toX, m.toY) << "\n";
    for (const chronicle::Placed& a : player.added) std::cout << "  + " << world::KindLegendWord(a.kind) << " " << CellText(a.x, a.y) << "\n";
    for (const chronicle::Placed& r : player.removed) std::cout << "  − " << world::KindLegendWord(r.kind) << " " << CellText(r.x, r.y) << "\n";
    std::cout << "  " << GroupsText(player.before, player.after) << "\n";
    before += player.before;
    after += player.after;
  }
  std::cout << "Всего: " << GroupsText(before, after) << "\n";
}

std::string PlacedJson(const std::vector<chronicle::Placed>& units) {
  exporting::JsonArray list;
  for (const chronicle::Placed& u : units) list.Add(exporting::JsonObject().Add("kind", u.kind).Add("x", u.x).Add("y", u.y).str());
  return list.str();
}

void PrintJson(const chronicle::TurnChanges& changes) {
  exporting::JsonArray players;
  for (const chronicle::PlayerChanges& player : changes.players) {
    exporting::JsonObject json;
    json.Add("player", player.player).Add("name", exporting::JsonCp1251String(player.name));
    if (player.renamedFrom) json.Add("renamedFrom", exporting::JsonCp1251String(*player.renamedFrom));
    exporting::JsonArray moved;
    for (const chronicle::Moved& m : player.moved)
      moved.Add(exporting::JsonObject()
                    .Add("kind", m.kind)
                    .Add("from", exporting::JsonArray().Add(m.fromX).Add(m.fromY).str())
                    .Add("to", exporting::JsonArray().Add(m.toX).Add(m.toY).str())
                    .str());
    json.Add("added", PlacedJson(player.added))
        .Add("removed", PlacedJson(player.removed))
        .Add("moved", moved.str())
        .Add("before", exporting::GroupsJson(player.before))
        .Add("after", exporting::GroupsJson(player.after));
    players.Add(json.str());
  }
  std::cout << exporting::JsonObject()
                   .Add("old", exporting::JsonObject().Add("year", changes.oldYear).str())
                   .Add("new", exporting::JsonObject().Add("year", changes.newYear).str())
                   .Add("players", players.str())
                   .str()
            << "\n";
}

}  // namespace

int DiffCommand(const Arguments& args) {
  const std::optional<Options> options = ParseOptions(args, {}, {"--json"});
  if (!options || options->rest.size() != 2) return std::cerr << UsageOf("diff"), ExitUsage;
  const std::vector<std::string>& files = options->rest;
  const bool json = options->Has("--json");
  chronicle::Turn older, newer;
  const std::optional<std::string> error = ErrorOfRead([&] {
    older = chronicle::ReadTurn(files[0]);
    newer = chronicle::ReadTurn(files[1]);
  });
  if (error) {
    std::cerr << *error << "\n";
    return ExitFailed;
  }
  const chronicle::TurnChanges changes = chronicle::DiffTurns(older, newer);
  json ? PrintJson(changes) : PrintText(changes);
  return ExitOk;
}

}  // namespace tool
