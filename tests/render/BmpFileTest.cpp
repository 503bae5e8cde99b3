#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "render/Surface.h"
#include "world/FileError.h"

namespace render {
namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class BmpFile : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_); }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return dir_ / name;
  }
  size_t EntryCount() const { return size_t(std::distance(fs::directory_iterator(dir_), {})); }
  const fs::path dir_ = fs::temp_directory_path() / ("render_bmp_" + std::to_string(::getpid()));
};

std::string Le(uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += char(v >> (8 * i));
  return out;
}

// File header, BITMAPINFOHEADER, colour table, pixel bytes as given.
std::string BmpBytes(int width, int height, int bpp, const std::vector<Color>& table, const std::string& pixels) {
  std::string colours;
  for (Color c : table) colours += Le(((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16), 4);  // B, G, R, 0
  const uint32_t offset = 14 + 40 + uint32_t(colours.size());
  return "BM" + Le(offset + uint32_t(pixels.size()), 4) + Le(0, 4) + Le(offset, 4) + Le(40, 4) + Le(width, 4) +
         Le(height, 4) + Le(1, 2) + Le(bpp, 2) + Le(0, 4) + Le(uint32_t(pixels.size()), 4) + Le(0, 8) +
         Le(uint32_t(table.size()), 4) + Le(0, 4) + colours + pixels;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const world::FileError& e) {
    return e.what();
  }
  return "no error";
}

TEST_F(BmpFile, ReadsColourTablePicturesToTheirTablesColours) {
  const Color C0 = 0x102030, C1 = 0xA0B0C0, C2 = 0x0000FF;
  struct Case {
    std::string file;
    std::vector<Color> expected;  // rows top first
  } cases[] = {
      {BmpBytes(3, 2, 1, {C0, C1}, {0x60, 0, 0, 0, char(0xA0), 0, 0, 0}), {C1, C0, C1, C0, C1, C1}},
      {BmpBytes(3, -2, 4, {C0, C1, C2}, {0x20, 0x10, 0, 0, 0x12, 0x20, 0, 0}), {C2, C0, C1, C1, C2, C2}},  // top-down
      {BmpBytes(2, 2, 8, {C0, C1, C2}, {0, 2, 0, 0, 2, 1, 0, 0}), {C2, C1, C0, C2}},
  };
  for (const Case& c : cases) {
    Surface s;
    s.LoadBmp(Write("picture.bmp", c.file));
    std::vector<Color> pixels;
    for (int y = 0; y < s.Height(); ++y)
      for (int x = 0; x < s.Width(); ++x) pixels.push_back(s.PixelAt(x, y));
    EXPECT_EQ(pixels, c.expected);
  }
}

TEST_F(BmpFile, FailedLoadKeepsTheSurfaceAndNamesTheReason) {
  fs::create_directory(dir_ / "folder.bmp");
  QImage png(4, 4, QImage::Format_RGB32);
  ASSERT_TRUE(png.save(QString::fromStdString((dir_ / "png.bmp").string()), "PNG"));
  const std::string invalid = "Bitmap image is not valid";
  const std::pair<fs::path, std::string> cases[] = {
      {dir_ / "нет.bmp", "Cannot open file " + (dir_ / "нет.bmp").string()},
      {dir_ / "folder.bmp", "Cannot open file " + (dir_ / "folder.bmp").string()},
      {dir_ / "png.bmp", invalid},
      {Write("text.bmp", "BM this is no picture"), invalid},
      // Headers that claim absurd sizes are refused before anything is allocated.
      {Write("wide.bmp", BmpBytes(30001, 1, 24, {}, std::string(90004, '\0'))), invalid},
      {Write("huge.bmp", BmpBytes(20000, 20000, 24, {}, "")), invalid},
  };
  Surface s;
  s.SetSize(2, 2);
  s.Fill(0x445566);
  const Surface before = s;
  for (const auto& [path, reason] : cases) {
    EXPECT_EQ(ErrorOf([&] { s.LoadBmp(path); }), reason);
    EXPECT_EQ(s, before) << path;
  }
}

// The bytes of saved pictures are checked in BmpPixelsTest.
TEST_F(BmpFile, SavingReplacesTheOldFileOnlyWhenItSucceedsAndLeavesNothingBehind) {
  Surface s;
  s.SetSize(5, 3);
  s.SetPixel(4, 2, 0x123456);
  s.SaveBmp(Write("Год17.bmp", "an older picture"));
  Surface loaded;
  loaded.LoadBmp(dir_ / "Год17.bmp");
  EXPECT_EQ(loaded, s);

  fs::create_directory(dir_ / "dir.bmp");
  const fs::path readOnly = Write("old.bmp", "old picture bytes");
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  for (const fs::path& path : {dir_ / "missing" / "map.bmp", dir_ / "dir.bmp", readOnly})
    EXPECT_EQ(ErrorOf([&] { s.SaveBmp(path); }), "Cannot create file " + path.string());
  std::ifstream old(readOnly, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old picture bytes");
  EXPECT_EQ(EntryCount(), 3u);  // the saved picture, the folder and the old file: no temporary left
}

}  // namespace
}  // namespace render
