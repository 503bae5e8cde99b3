#pragma once
// The commands of tirmagor-tool and how each is called: one table for --help, the dispatch and
// every command's own usage error.

#include <cstddef>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "tool/Commands.h"

namespace tool {

struct Command {
  const char* name;
  const char* arguments;
  const char* summary;
  size_t minArgs;
  size_t maxArgs;
  int (*run)(const Arguments&);
};

// In the order --help lists them.
std::span<const Command> AllCommands();
// Null for a name that is no command.
const Command* FindCommand(std::string_view name);

// "Usage: tirmagor-tool NAME ARGUMENTS\n" for the command `name`.
std::string UsageOf(std::string_view name);
// The whole usage text that --help prints.
void PrintUsage(std::ostream& out);

}  // namespace tool
