#include "tool/EpochRenderer.h"

#include "world/FileError.h"

namespace tool {

namespace fs = std::filesystem;

EpochRenderer::EpochRenderer(const fs::path& startupDir, const std::optional<fs::path>& palette) {
  editor_.StartupDir = startupDir;
  editor_.FormCreate();
  if (palette) {
    // The editor skips a palette that does not exist without a word; asked for by name, it is an error.
    std::error_code ec;
    if (!fs::is_regular_file(*palette, ec)) throw world::FileError::Io(world::IoFileNotFound);
    RunDialogCommand(&app::Editor::N1Click, *palette);
  }
}

void EpochRenderer::RunDialogCommand(void (app::Editor::*command)(), const fs::path& answer) {
  ui_.answers.assign(1, answer);
  (editor_.*command)();
}

void EpochRenderer::Render(const fs::path& turn, const fs::path& picture, world::Sync sync) {
  RunDialogCommand(&app::Editor::N8Click, turn);
  editor_.SavePicture(picture, sync);
}

}  // namespace tool
