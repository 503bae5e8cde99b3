// tirmagor-tool publish: the epoch as a static web site.

#include <iostream>

#include "publish/Publish.h"
#include "tool/Commands.h"
#include "tool/Options.h"
#include "tool/Usage.h"
#include "world/FileError.h"

namespace tool {

int PublishCommand(const Arguments& args) {
  const std::optional<Options> options = ParseOptions(args, {"--dir", "--palette", "--title", "-o"});
  if (!options || options->rest.empty() || !options->Value("-o")) return std::cerr << UsageOf("publish"), ExitUsage;
  publish::SiteRequest request;
  request.worldDir = options->Value("--dir").value_or("");
  request.palette = options->Value("--palette");
  request.title = options->Value("--title");
  request.site = *options->Value("-o");
  request.turns.assign(options->rest.begin(), options->rest.end());
  try {
    publish::PublishSite(request);
  } catch (const world::FileError& e) {
    std::cerr << e.what() << "\n";
    return ExitFailed;
  }
  std::cout << (request.site / "index.html").string() << "\n";
  return ExitOk;
}

}  // namespace tool
