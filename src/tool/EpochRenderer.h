#pragma once
// Pictures of turns without a window: the editor started headless, a turn loaded with
// "Загрузить ход" and the map written with "Сохранить как картинку".

#include <filesystem>
#include <optional>

#include "app/Editor.h"
#include "app/HeadlessUi.h"

namespace tool {

class EpochRenderer {
 public:
  // Runs the editor's start-up with the files of `startupDir`, then loads `palette` if given.
  // Throws world::FileError when start-up or the palette fails.
  EpochRenderer(const std::filesystem::path& startupDir, const std::optional<std::filesystem::path>& palette);

  // Loads `turn` and writes the whole composed map to `picture` as "Сохранить как картинку"
  // does: a BMP, or a PNG when the name ends in ".png". Throws world::FileError.
  void Render(const std::filesystem::path& turn, const std::filesystem::path& picture,
              world::Sync sync = world::Sync::Now);

  const app::Editor& editor() const { return editor_; }

 private:
  void RunDialogCommand(void (app::Editor::*command)(), const std::filesystem::path& answer);

  app::HeadlessUi ui_;
  app::Editor editor_{ui_};
};

}  // namespace tool
