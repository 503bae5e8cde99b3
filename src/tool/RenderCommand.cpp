// tirmagor-tool render: the picture "Сохранить как картинку" would write for each turn.

#include <algorithm>
#include <atomic>
#include <iostream>
#include <optional>
#include <set>
#include <thread>

#include "tool/Commands.h"
#include "tool/EpochRenderer.h"
#include "world/FileError.h"
#include "world/FileReplacement.h"

namespace tool {

namespace fs = std::filesystem;

namespace {

const char* const kRenderUsage =
    "Usage: tirmagor-tool render [--dir DIR] [--palette FILE.pal] [-o OUT] [--format bmp|png] TURN.tvk...\n";

struct RenderRequest {
  fs::path startupDir;
  std::optional<fs::path> palette;
  std::optional<fs::path> output;
  std::optional<std::string> format;
  std::vector<fs::path> turns;
};

std::optional<RenderRequest> ParseRequest(const Arguments& args) {
  RenderRequest request;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (arg == "--dir" && hasValue) {
      request.startupDir = args[++i];
    } else if (arg == "--palette" && hasValue) {
      request.palette = args[++i];
    } else if (arg == "-o" && hasValue) {
      request.output = args[++i];
    } else if (arg == "--format" && hasValue && (args[i + 1] == "bmp" || args[i + 1] == "png")) {
      request.format = args[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return std::nullopt;
    } else {
      request.turns.emplace_back(arg);
    }
  }
  if (request.turns.empty()) return std::nullopt;
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
    std::cerr << kRenderUsage;
    return ExitUsage;
  }
  // Start-up fails for all or for none, so the first renderer tells before any work starts.
  std::optional<EpochRenderer> first;
  try {
    first.emplace(request->startupDir, request->palette);
  } catch (const world::FileError& e) {
    std::cerr << e.what() << "\n";
    return ExitFailed;
  }
  const std::vector<fs::path> pictures = PictureNames(*request);
  const size_t count = request->turns.size();
  // Years are independent: every core renders turns of its own, each with an editor of its own.
  // Many pictures reach the disk together in one sync at the end rather than one sync each.
  const world::Sync sync = count > 1 ? world::Sync::Later : world::Sync::Now;
  std::vector<std::optional<std::string>> errors(count);
  std::atomic<size_t> next{0};
  auto renderTurns = [&](EpochRenderer& renderer) {
    for (size_t i = next++; i < count; i = next++) {
      try {
        renderer.Render(request->turns[i], pictures[i], sync);
      } catch (const world::FileError& e) {
        errors[i] = e.what();
      }
    }
  };
  std::vector<std::thread> helpers;
  const size_t workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, count);
  for (size_t w = 1; w < workers; ++w)
    helpers.emplace_back([&] {
      try {
        EpochRenderer renderer(request->startupDir, request->palette);
        renderTurns(renderer);
      } catch (const world::FileError&) {
        // The first renderer started from the same files; it does this helper's share.
      }
    });
  renderTurns(*first);
  for (std::thread& helper : helpers) helper.join();

  int status = ExitOk;
  std::set<fs::path> folders;
  for (size_t i = 0; i < count; ++i) {
    if (!errors[i]) {
      folders.insert(fs::absolute(pictures[i]).parent_path());
      continue;
    }
    if (count > 1) std::cerr << request->turns[i].string() << ": ";
    std::cerr << *errors[i] << "\n";
    status = ExitFailed;
  }
  if (sync == world::Sync::Later)
    for (const fs::path& folder : folders) {
      try {
        world::SyncFileSystem(folder);
      } catch (const world::FileError& e) {
        std::cerr << folder.string() << ": " << e.what() << "\n";
        return ExitFailed;
      }
    }
  for (size_t i = 0; i < count; ++i)
    if (!errors[i]) std::cout << pictures[i].string() << "\n";
  return status;
}

}  // namespace tool
