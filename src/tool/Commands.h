#pragma once
// The subcommands of tirmagor-tool. Each takes its own arguments (after the subcommand name),
// writes its results to standard output and its errors to standard error, and returns the
// exit status.

#include <string>
#include <vector>

namespace tool {

enum ExitStatus : int { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

using Arguments = std::vector<std::string>;

int LandCommand(const Arguments& args);
int TurnCommand(const Arguments& args);
int PaletteCommand(const Arguments& args);
int RewriteCommand(const Arguments& args);
int CheckCommand(const Arguments& args);
int RenderCommand(const Arguments& args);
int DiffCommand(const Arguments& args);
int StatsCommand(const Arguments& args);
int PublishCommand(const Arguments& args);

}  // namespace tool
