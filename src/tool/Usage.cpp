#include "tool/Usage.h"

#include <algorithm>
#include <ostream>

namespace tool {

namespace {

constexpr size_t Unlimited = size_t(-1);

constexpr Command kCommands[] = {
    {"land", "FILE", "the land file as JSON (grid, cell mines, lands)", 1, 1, LandCommand},
    {"turn", "FILE", "the turn file as JSON (year, players, units)", 1, 1, TurnCommand},
    {"palette", "FILE", "the palette file as JSON (27 colours over the defaults)", 1, 1, PaletteCommand},
    {"rewrite", "IN OUT", "read the turn file IN and write it to OUT as the editor saves it", 2, 2,
     RewriteCommand},
    {"check", "FILE...", "report where .tvk, .dat and .pal files leave their format", 1, Unlimited,
     CheckCommand},
    {"render", "[--dir DIR] [--palette P.pal] [-o OUT] [--format bmp|png] TURN.tvk...",
     "the map picture of each turn, as \"Сохранить как картинку\" writes it", 1, Unlimited, RenderCommand},
    {"diff", "OLD.tvk NEW.tvk [--json]", "what changed between two turns: units added, removed and moved", 2, 3,
     DiffCommand},
    {"stats", "[--palette P.pal] [--csv FILE] [--json FILE] [--chart FILE.png|FILE.svg] TURN.tvk...",
     "every player's units per kind and group, year by year, and their chart", 1, Unlimited, StatsCommand},
    {"publish", "[--dir DIR] [--palette P.pal] [--title TEXT] -o SITE TURN.tvk...",
     "a web site of the epoch: every year's map, units, changes and chart", 1, Unlimited, PublishCommand},
};

}  // namespace

std::span<const Command> AllCommands() { return kCommands; }

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands)
    if (name == command.name) return &command;
  return nullptr;
}

std::string UsageOf(std::string_view name) {
  const Command* command = FindCommand(name);
  if (!command) return "Usage: tirmagor-tool COMMAND ARGUMENTS\n";
  return "Usage: tirmagor-tool " + std::string(command->name) + " " + command->arguments + "\n";
}

void PrintUsage(std::ostream& out) {
  out << "Usage: tirmagor-tool COMMAND ARGUMENTS\n\nCommands:\n";
  for (const Command& command : kCommands) {
    std::string synopsis = std::string(command.name) + " " + command.arguments;
    synopsis.resize(std::max<size_t>(synopsis.size() + 2, 18), ' ');
    out << "  " << synopsis << command.summary << "\n";
  }
  out << "\nA failed read prints its error on standard error and exits with 1 (the JSON shows\n"
         "what the read left, with \"error\"); a usage error exits with 2.\n";
}

}  // namespace tool
