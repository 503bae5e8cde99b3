#include "tool/EpochRenderer.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>

#include "world/FileError.h"
#include "world/FileReplacement.h"

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

void EpochRenderer::Render(const fs::path& turn, const fs::path& picture) {
  RunDialogCommand(&app::Editor::N8Click, turn);
  ui_.year = editor_.World.Year;
  std::string extension = picture.extension().string();
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".png")
    SavePng(editor_.scene.ComposedMap, picture);
  else
    RunDialogCommand(&app::Editor::N9Click, picture);
}

void SavePng(const render::Surface& surface, const fs::path& path) {
  // Pixels are 0x00BBGGRR, which in memory is R, G, B, X: Qt's RGBX8888 without a copy.
  const QImage image(reinterpret_cast<const uchar*>(surface.Row(0)), surface.Width(), surface.Height(),
                     surface.Width() * 4, QImage::Format_RGBX8888);
  const std::string failure = "Cannot create file " + path.string();
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (surface.Width() == 0 || !image.convertToFormat(QImage::Format_RGB888).save(&buffer, "PNG"))
    throw world::FileError(failure);
  try {
    world::FileReplacement file(path);
    file.Write(png.constData(), size_t(png.size()));
    file.Commit();
  } catch (const world::FileError&) {
    throw world::FileError(failure);
  }
}

}  // namespace tool
