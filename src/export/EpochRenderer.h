#pragma once
// Pictures of turns without a window: the editor started headless, a turn opened and the map
// written as "Сохранить как картинку" writes it.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "chronicle/Turn.h"
#include "editor/Editor.h"
#include "editor/HeadlessUi.h"

namespace exporting {

class EpochRenderer {
 public:
  // Runs the editor's start-up with the files of `startupDir`, then loads `palette` if given.
  // Throws world::FileError when start-up or the palette fails.
  EpochRenderer(const std::filesystem::path& startupDir, const std::optional<std::filesystem::path>& palette);

  // Opens `turn` and writes the whole composed map to `picture`: a BMP, or a PNG when the name
  // ends in ".png". Throws world::FileError.
  void Render(const std::filesystem::path& turn, const std::filesystem::path& picture,
              world::Sync sync = world::Sync::Now);
  // The same for a turn read before.
  void Render(const chronicle::Turn& turn, const std::filesystem::path& picture, world::Sync sync = world::Sync::Now);

  const editor::Editor& editor() const { return editor_; }

 private:
  editor::HeadlessUi ui_;
  editor::Editor editor_{ui_};
};

// Renders every turn into its picture as Render does, on every core of the machine with a renderer
// each, and makes the pictures durable with one sync of their folders at the end (a single picture
// is synced as it is written). Gives, turn by turn, the error that kept its picture from being
// made, if any. Throws world::FileError when start-up fails or the final sync does.
std::vector<std::optional<std::string>> RenderEpoch(const std::filesystem::path& startupDir,
                                                    const std::optional<std::filesystem::path>& palette,
                                                    const std::vector<std::filesystem::path>& turns,
                                                    const std::vector<std::filesystem::path>& pictures);
// The same for turns read before, with a renderer already started from those files, which takes
// its share of the turns.
std::vector<std::optional<std::string>> RenderEpoch(EpochRenderer& first, const std::filesystem::path& startupDir,
                                                    const std::optional<std::filesystem::path>& palette,
                                                    const std::vector<chronicle::Turn>& turns,
                                                    const std::vector<std::filesystem::path>& pictures);

}  // namespace exporting
