#include "export/EpochRenderer.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <set>

#include "world/FileError.h"
#include "world/FileReplacement.h"

#if TIRMAGOR_THREADS
#include <thread>
#endif

namespace exporting {

namespace fs = std::filesystem;

EpochRenderer::EpochRenderer(const fs::path& startupDir, const std::optional<fs::path>& palette) {
  editor_.StartupDir = startupDir;
  editor_.FormCreate();
  if (palette) {
    // The editor skips a palette that does not exist without a word; asked for by name, it is an error.
    std::error_code ec;
    if (!fs::is_regular_file(*palette, ec)) throw world::FileError::Io(world::IoFileNotFound);
    editor_.LoadPalette(*palette);
  }
}

void EpochRenderer::Render(const fs::path& turn, const fs::path& picture, world::Sync sync) {
  editor_.OpenTurn(turn);
  editor_.SavePicture(picture, sync);
}

void EpochRenderer::Render(const chronicle::Turn& turn, const fs::path& picture, world::Sync sync) {
  editor_.OpenTurn(*turn.world, turn.playerCount);
  editor_.SavePicture(picture, sync);
}

namespace {

using RenderOne = std::function<void(EpochRenderer&, size_t, world::Sync)>;

std::vector<std::optional<std::string>> RenderAll(EpochRenderer& first, const fs::path& startupDir,
                                                  const std::optional<fs::path>& palette, size_t count,
                                                  const RenderOne& render, const std::vector<fs::path>& pictures) {
  const world::Sync sync = count > 1 ? world::Sync::Later : world::Sync::Now;
  std::vector<std::optional<std::string>> errors(count);
  std::atomic<size_t> next{0};
  auto renderTurns = [&](EpochRenderer& renderer) {
    for (size_t i = next++; i < count; i = next++) {
      try {
        render(renderer, i, sync);
      } catch (const world::FileError& e) {
        errors[i] = e.what();
      }
    }
  };
#if TIRMAGOR_THREADS
  // Years are independent: each helper renders turns of its own with an editor of its own.
  std::vector<std::thread> helpers;
  const size_t workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, std::max<size_t>(count, 1));
  for (size_t w = 1; w < workers; ++w)
    helpers.emplace_back([&] {
      try {
        EpochRenderer renderer(startupDir, palette);
        renderTurns(renderer);
      } catch (const world::FileError&) {
        // The first renderer started from the same files; it does this helper's share.
      }
    });
  renderTurns(first);
  for (std::thread& helper : helpers) helper.join();
#else
  (void)startupDir, (void)palette;
  renderTurns(first);
#endif

  if (sync == world::Sync::Later) {
    std::set<fs::path> folders;
    for (size_t i = 0; i < count; ++i)
      if (!errors[i]) folders.insert(fs::absolute(pictures[i]).parent_path());
    for (const fs::path& folder : folders) world::SyncFileSystem(folder);
  }
  return errors;
}

}  // namespace

std::vector<std::optional<std::string>> RenderEpoch(const fs::path& startupDir, const std::optional<fs::path>& palette,
                                                    const std::vector<fs::path>& turns, const std::vector<fs::path>& pictures) {
  // Start-up fails for all or for none, so the first renderer tells before any work starts.
  EpochRenderer first(startupDir, palette);
  return RenderAll(first, startupDir, palette, turns.size(),
                   [&](EpochRenderer& renderer, size_t i, world::Sync sync) { renderer.Render(turns[i], pictures[i], sync); },
                   pictures);
}

std::vector<std::optional<std::string>> RenderEpoch(EpochRenderer& first, const fs::path& startupDir,
                                                    const std::optional<fs::path>& palette,
                                                    const std::vector<chronicle::Turn>& turns,
                                                    const std::vector<fs::path>& pictures) {
  return RenderAll(first, startupDir, palette, turns.size(),
                   [&](EpochRenderer& renderer, size_t i, world::Sync sync) { renderer.Render(turns[i], pictures[i], sync); },
                   pictures);
}

}  // namespace exporting
