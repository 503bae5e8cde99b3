#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "TestScene.h"
#include "world/FileError.h"

namespace render {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

std::string Le(uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += char(v >> (8 * i));
  return out;
}

// File header, BITMAPINFOHEADER at 96 dots per inch, colour table, `gap` filler bytes, pixels.
std::string BmpBytes(int width, int height, int bpp, const std::string& pixels,
                     const std::vector<Color>& table = {}, int gap = 0) {
  std::string colours;  // blue, green, red, 0
  for (Color c : table) colours += Le(((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16), 4);
  const uint64_t offset = 14 + 40 + colours.size() + uint64_t(gap);
  return "BM" + Le(offset + pixels.size(), 4) + Le(0, 4) + Le(offset, 4) + Le(40, 4) + Le(width, 4) +
         Le(height, 4) + Le(1, 2) + Le(bpp, 2) + Le(0, 4) + Le(pixels.size(), 4) + Le(3780, 4) +
         Le(3780, 4) + Le(table.size(), 4) + Le(0, 4) + colours + std::string(size_t(gap), '\x55') + pixels;
}

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const world::FileError& e) {
    return e.what();
  }
  return "no error";
}

// The picture as Qt's decoder gives it, in our colour order.
Surface DecodedByQt(const std::string& bytes) {
  QImage image = QImage::fromData(QByteArray(bytes.data(), qsizetype(bytes.size())), "BMP");
  image.convertTo(QImage::Format_RGB32);
  Surface s;
  s.SetSize(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      s.SetPixel(x, y, world::Rgb(uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p))));
    }
  return s;
}

// Colour-table pictures are looked up by our own code and plain 24-bit ones decoded without Qt;
// the rest must give exactly what Qt's decoder gives.
TEST(Bmp, LoadingGivesThePixelsTheFileDefines) {
  const ScratchDir dir("render_bmp_load");
  auto loaded = [&](const std::string& bytes) {
    Surface s;
    s.LoadBmp(dir.Write("picture.bmp", bytes));
    return s;
  };
  const Color C0 = 0x102030, C1 = 0xA0B0C0, C2 = 0x0000FF;
  const std::pair<std::string, std::vector<Color>> indexed[] = {  // pixels as rows top first
      {BmpBytes(3, 2, 1, {0x60, 0, 0, 0, char(0xA0), 0, 0, 0}, {C0, C1}), {C1, C0, C1, C0, C1, C1}},
      {BmpBytes(3, -2, 4, {0x20, 0x10, 0, 0, 0x12, 0x20, 0, 0}, {C0, C1, C2}), {C2, C0, C1, C1, C2, C2}},
      {BmpBytes(2, 2, 8, {0, 2, 0, 0, 2, 1, 0, 0}, {C0, C1, C2}), {C2, C1, C0, C2}},
  };
  for (const auto& [bytes, expected] : indexed) {
    const Surface s = loaded(bytes);
    std::vector<Color> pixels;
    for (int y = 0; y < s.Height(); ++y)
      for (int x = 0; x < s.Width(); ++x) pixels.push_back(s.PixelAt(x, y));
    EXPECT_EQ(pixels, expected);
  }

  for (int width = 1; width <= 5; ++width)
    for (int height : {3, -3}) {
      std::string pixels;
      for (int i = 0; i < (width * 3 + 3) / 4 * 4 * 3; ++i) pixels += char(i * 37 + width * 11);
      // Plain, and (left to Qt) with a colour table or a gap before the pixels.
      for (const std::string& bytes : {BmpBytes(width, height, 24, pixels),
                                       BmpBytes(width, height, 24, pixels, {C0, C1}),
                                       BmpBytes(width, height, 24, pixels, {}, 4)}) {
        const Surface expected = DecodedByQt(bytes);
        ASSERT_EQ(expected.Width(), width);
        EXPECT_EQ(loaded(bytes), expected) << width << " x " << height;
      }
    }
}

TEST(Bmp, FailedLoadKeepsTheSurfaceAndNamesTheReason) {
  const ScratchDir dir("render_bmp_fail");
  fs::create_directory(dir / "folder.bmp");
  QImage png(4, 4, QImage::Format_RGB32);
  ASSERT_TRUE(png.save(QString::fromStdString((dir / "png.bmp").string()), "PNG"));
  const std::string invalid = "Bitmap image is not valid";
  const std::pair<fs::path, std::string> cases[] = {
      {dir / "нет.bmp", "Cannot open file " + (dir / "нет.bmp").string()},
      {dir / "folder.bmp", "Cannot open file " + (dir / "folder.bmp").string()},
      {dir / "png.bmp", invalid},
      {dir.Write("text.bmp", "BM this is no picture"), invalid},
      // Headers that claim absurd sizes are refused before anything is allocated.
      {dir.Write("wide.bmp", BmpBytes(30001, 1, 24, std::string(90004, '\0'))), invalid},
      {dir.Write("huge.bmp", BmpBytes(20000, 20000, 24, "")), invalid},
  };
  Surface s = testing::Filled(2, 2, 0x445566);
  const Surface before = s;
  for (const auto& [path, reason] : cases) {
    EXPECT_EQ(ErrorOf([&] { s.LoadBmp(path); }), reason);
    EXPECT_EQ(s, before) << path;
  }
}

TEST(Bmp, SavingWritesExactBytesAndReplacesTheOldFileOnlyWhenItSucceeds) {
  const ScratchDir dir("render_bmp_save");
  Surface s;
  s.SetSize(601, 700);  // 1804 bytes a row: about 1.3 MB, more than one write
  std::string pixels;
  for (int y = 699; y >= 0; --y) {
    for (int x = 0; x < 601; ++x) {
      s.SetPixel(x, y, world::Rgb(uint8_t(x), uint8_t(y), uint8_t(x ^ y)));
      pixels += {char(x ^ y), char(y), char(x)};
    }
    pixels += '\0';
  }
  s.Row(5)[7] |= 0xFF000000;  // a stray top byte is no colour
  const fs::path saved = dir.Write("Год17.bmp", "an older picture");
  s.SaveBmp(saved);
  EXPECT_TRUE(FileBytes(saved) == BmpBytes(601, 700, 24, pixels));
  s.Row(5)[7] &= 0xFFFFFF;
  Surface loaded;
  loaded.LoadBmp(saved);
  EXPECT_EQ(loaded, s);

  fs::create_directory(dir / "dir.bmp");
  const fs::path readOnly = dir.Write("old.bmp", "old picture bytes");
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  for (const fs::path& path : {dir / "missing" / "map.bmp", dir / "dir.bmp", readOnly})
    EXPECT_EQ(ErrorOf([&] { s.SaveBmp(path); }), "Cannot create file " + path.string());
  EXPECT_EQ(FileBytes(readOnly), "old picture bytes");
  // The saved picture, the folder and the old file: no temporary left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 3);
}

}  // namespace
}  // namespace render
