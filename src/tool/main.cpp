// tirmagor-tool: the game's files from the command line, for game masters and scripts.

#include <algorithm>
#include <cstring>
#include <iostream>

#include "tool/Commands.h"

namespace {

struct Command {
  const char* name;
  const char* arguments;
  const char* summary;
  size_t minArgs;
  size_t maxArgs;
  int (*run)(const tool::Arguments&);
};

constexpr size_t Unlimited = size_t(-1);

constexpr Command kCommands[] = {
    {"land", "FILE", "the land file as JSON (grid, cell mines, lands)", 1, 1, tool::LandCommand},
    {"turn", "FILE", "the turn file as JSON (year, players, units)", 1, 1, tool::TurnCommand},
    {"palette", "FILE", "the palette file as JSON (27 colours over the defaults)", 1, 1,
     tool::PaletteCommand},
    {"rewrite", "IN OUT", "read the turn file IN and write it to OUT as the editor saves it", 2, 2,
     tool::RewriteCommand},
    {"check", "FILE...", "report where .tvk, .dat and .pal files leave their format", 1, Unlimited,
     tool::CheckCommand},
    {"render", "[--dir DIR] [--palette P.pal] [-o OUT] [--format bmp|png] TURN.tvk...",
     "the map picture of each turn, as \"Сохранить как картинку\" writes it", 1, Unlimited,
     tool::RenderCommand},
    {"diff", "OLD.tvk NEW.tvk [--json]", "what changed between two turns: units added, removed and moved", 2, 3,
     tool::DiffCommand},
    {"stats", "[--palette P.pal] [--csv F] [--json F] [--chart F.png|F.svg] TURN.tvk...",
     "every player's units per kind and group, year by year, and their chart", 1, Unlimited, tool::StatsCommand},
    {"publish", "[--dir DIR] [--palette P.pal] [--title TEXT] -o SITE TURN.tvk...",
     "a web site of the epoch: every year's map, units, changes and chart", 1, Unlimited, tool::PublishCommand},
};

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

const Command* FindCommand(const char* name) {
  for (const Command& command : kCommands)
    if (std::strcmp(name, command.name) == 0) return &command;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    PrintUsage(std::cout);
    return tool::ExitOk;
  }
  if (argc < 2) {
    PrintUsage(std::cerr);
    return tool::ExitUsage;
  }
  const Command* command = FindCommand(argv[1]);
  if (!command) {
    std::cerr << "tirmagor-tool: unknown command \"" << argv[1] << "\"\n\n";
    PrintUsage(std::cerr);
    return tool::ExitUsage;
  }
  const tool::Arguments args(argv + 2, argv + argc);
  if (args.size() < command->minArgs || args.size() > command->maxArgs) {
    std::cerr << "Usage: tirmagor-tool " << command->name << " " << command->arguments << "\n";
    return tool::ExitUsage;
  }
  return command->run(args);
}
