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
  if (json)
    std::cout << exporting::JsonText(exporting::TurnChangesJson(changes)) << "\n";
  else
    PrintText(changes);
  return ExitOk;
}

}  // namespace tool
