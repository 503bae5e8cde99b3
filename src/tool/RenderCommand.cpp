// tirmagor-tool render: the picture "Сохранить как картинку" would write for each turn.

#include <iostream>
#include <optional>

#include "tool/Commands.h"
#include "export/EpochRenderer.h"
#include "tool/Options.h"
#include "tool/Usage.h"
#include "world/FileError.h"

namespace tool {

namespace fs = std::filesystem;

namespace {

struct RenderRequest {
  fs::path startupDir;
  std::optional<fs::path> palette;
  std::optional<fs::path> output;
  std::optional<std::string> format;
  std::vector<fs::path> turns;
};

std::optional<RenderRequest> ParseRequest(const Arguments& args) {
  const std::optional<Options> options = ParseOptions(args, {"--dir", "--palette", "-o", "--format"});
  if (!options || options->rest.empty()) return std::nullopt;
  RenderRequest request;
  request.startupDir = options->Value("--dir").value_or("");
  request.palette = options->Value("--palette");
  request.output = options->Value("-o");
  request.format = options->Value("--format");
  if (request.format && *request.format != "bmp" && *request.format != "png") return std::nullopt;
  request.turns.assign(options->rest.begin(), options->rest.end());
  return request;
}

// One turn with -o FILE writes that file; otherwise each picture is named like its turn, in the
// folder -o names (created when missing) or in the working directory.
std::vector<fs::path> PictureNames(const RenderRequest& request) {
  const std::string extension = "." + request.format.value_or("bmp");
  std::error_code ec;
  bool intoFolder = request.turns.size() > 1 || !request.output || fs::is_directory(*request.output, ec);
  if (!intoFolder) return {*request.output};
  fs::path folder = request.output.value_or(fs::path());
  if (!folder.empty()) fs::create_directories(folder, ec);
  std::vector<fs::path> names;
  for (const fs::path& turn : request.turns) names.push_back(folder / turn.stem().concat(extension));
  return names;
}

}  // namespace

int RenderCommand(const Arguments& args) {
  std::optional<RenderRequest> request = ParseRequest(args);
  if (!request) {
    std::cerr << UsageOf("render");
    return ExitUsage;
  }
  const std::vector<fs::path> pictures = PictureNames(*request);
  std::vector<std::optional<std::string>> errors;
  try {
    errors = exporting::RenderEpoch(request->startupDir, request->palette, request->turns, pictures);
  } catch (const world::FileError& e) {
    std::cerr << e.what() << "\n";
    return ExitFailed;
  }
  const size_t count = request->turns.size();
  int status = ExitOk;
  for (size_t i = 0; i < count; ++i) {
    if (!errors[i]) {
      std::cout << pictures[i].string() << "\n";
      continue;
    }
    if (count > 1) std::cerr << request->turns[i].string() << ": ";
    std::cerr << *errors[i] << "\n";
    status = ExitFailed;
  }
  return status;
}

}  // namespace tool
