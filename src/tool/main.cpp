// tirmagor-tool: the game's files from the command line, for game masters and scripts.

#include <cstring>
#include <iostream>

#include "tool/Commands.h"
#include "tool/Usage.h"

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    tool::PrintUsage(std::cout);
    return tool::ExitOk;
  }
  if (argc < 2) {
    tool::PrintUsage(std::cerr);
    return tool::ExitUsage;
  }
  const tool::Command* command = tool::FindCommand(argv[1]);
  if (!command) {
    std::cerr << "tirmagor-tool: unknown command \"" << argv[1] << "\"\n\n";
    tool::PrintUsage(std::cerr);
    return tool::ExitUsage;
  }
  const tool::Arguments args(argv + 2, argv + argc);
  if (args.size() < command->minArgs || args.size() > command->maxArgs) {
    std::cerr << tool::UsageOf(command->name);
    return tool::ExitUsage;
  }
  return command->run(args);
}
