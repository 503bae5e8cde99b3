#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "render/Surface.h"
#include "world/FileError.h"

namespace render {
namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    path_ = fs::temp_directory_path() /
            ("render_bmp_" + std::to_string(::getpid()) + "_" + std::to_string(next_++));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  fs::path operator/(const std::string& name) const { return path_ / fs::path(name); }
  size_t EntryCount() const { return size_t(std::distance(fs::directory_iterator(path_), {})); }

 private:
  static inline int next_ = 0;
  fs::path path_;
};

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out += char(b);
  return out;
}
std::string Le16(int v) { return Bytes({v & 0xFF, (v >> 8) & 0xFF}); }
std::string Le32(int v) { return Le16(v & 0xFFFF) + Le16((v >> 16) & 0xFFFF); }

constexpr int BiRgb = 0, BiRle8 = 1, BiRle4 = 2;

// A BMP file: file header, BITMAPINFOHEADER, colour table, pixel bytes as given.
std::string BmpFile(int width, int height, int bpp, int compression, const std::vector<Color>& table,
                    const std::string& pixels) {
  std::string colours;
  for (Color c : table) colours += Bytes({int(world::BlueOf(c)), int(world::GreenOf(c)), int(world::RedOf(c)), 0});
  const int offset = 14 + 40 + int(colours.size());
  return "BM" + Le32(offset + int(pixels.size())) + Le32(0) + Le32(offset) + Le32(40) + Le32(width) +
         Le32(height) + Le16(1) + Le16(bpp) + Le32(compression) + Le32(int(pixels.size())) + Le32(0) +
         Le32(0) + Le32(int(table.size())) + Le32(0) + colours + pixels;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}
std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Rows of colours, top row first.
std::vector<std::vector<Color>> Pixels(const Surface& s) {
  std::vector<std::vector<Color>> rows(size_t(s.Height()));
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) rows[size_t(y)].push_back(s.PixelAt(x, y));
  return rows;
}

const Color C0 = 0x102030, C1 = 0xA0B0C0, C2 = 0x0000FF;
const std::vector<Color> Table = {C0, C1, C2};

TEST(BmpFile, ReadsEveryCommonBmpVariantToItsColours) {
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::vector<Color>> expected;
  } cases[] = {
      {"1 bit, bottom-up", BmpFile(3, 2, 1, BiRgb, {C0, C1}, Bytes({0x60, 0, 0, 0, 0xA0, 0, 0, 0})),
       {{C1, C0, C1}, {C0, C1, C1}}},
      {"4 bit, top-down", BmpFile(3, -2, 4, BiRgb, Table, Bytes({0x20, 0x10, 0, 0, 0x12, 0x20, 0, 0})),
       {{C2, C0, C1}, {C1, C2, C2}}},
      {"8 bit, bottom-up", BmpFile(2, 2, 8, BiRgb, Table, Bytes({0, 2, 0, 0, 2, 1, 0, 0})),
       {{C2, C1}, {C0, C2}}},
      {"16 bit 5-5-5", BmpFile(2, 2, 16, BiRgb, {}, Bytes({0x1F, 0, 0xFF, 0x7F, 0, 0x7C, 0xE0, 0x03})),
       // Five bits become the top five of eight, as the Windows drawing functions show them.
       {{0x0000F8, 0x00F800}, {0xF80000, 0xF8F8F8}}},
      {"24 bit, bottom-up",
       BmpFile(2, 2, 24, BiRgb, {}, Bytes({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 0xA, 0xB, 0xC, 0, 0})),
       {{0x070809, 0x0A0B0C}, {0x010203, 0x040506}}},
      {"24 bit, top-down",
       BmpFile(2, -2, 24, BiRgb, {}, Bytes({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 0xA, 0xB, 0xC, 0, 0})),
       {{0x010203, 0x040506}, {0x070809, 0x0A0B0C}}},
      {"32 bit", BmpFile(2, 1, 32, BiRgb, {}, Bytes({0x10, 0x20, 0x30, 0, 0xDD, 0xEE, 0xFF, 0})),
       {{0x102030, 0xDDEEFF}}},
      {"RLE8", BmpFile(4, 2, 8, BiRle8, Table, Bytes({2, 1, 2, 2, 0, 0, 0, 4, 0, 1, 2, 0, 0, 1})),
       {{C0, C1, C2, C0}, {C1, C1, C2, C2}}},
      {"RLE4", BmpFile(4, 2, 4, BiRle4, Table, Bytes({4, 0x12, 0, 0, 0, 4, 0x20, 0x10, 0, 1})),
       {{C2, C0, C1, C0}, {C1, C2, C1, C2}}},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(folder / "picture.bmp", c.file);
    Surface s;
    EXPECT_NO_THROW(s.LoadBmp(folder / "picture.bmp"));
    EXPECT_EQ(Pixels(s), c.expected);
  }
}

TEST(BmpFile, SavedPictureReadsBackToTheSamePixels) {
  Surface original;
  original.SetSize(5, 3);  // 15 bytes a row, padded to 16
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) original.SetPixel(x, y, world::Rgb(uint8_t(40 * x), uint8_t(90 * y), uint8_t(x * y + 7)));
  TempFolder folder;
  const fs::path path = folder / "Год17.bmp";
  WriteFile(path, "an older picture");
  original.SaveBmp(path);

  EXPECT_EQ(fs::file_size(path), 54u + 3 * 16);
  const QImage image(QString::fromStdString(path.string()));
  ASSERT_EQ(image.width(), 5);
  ASSERT_EQ(image.height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const QRgb p = image.pixel(x, y);
      EXPECT_EQ(world::Rgb(uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p))), original.PixelAt(x, y));
    }
  Surface loaded;
  loaded.LoadBmp(path);
  EXPECT_EQ(loaded, original);
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(BmpFile, FailedLoadKeepsTheSurfaceAndNamesTheReason) {
  TempFolder folder;
  const Surface before = [] {
    Surface s;
    s.SetSize(2, 2);
    s.Fill(0x445566);
    return s;
  }();
  auto failure = [&](const fs::path& path) {
    Surface s = before;
    try {
      s.LoadBmp(path);
    } catch (const world::FileError& e) {
      EXPECT_EQ(s, before) << path;
      return std::string(e.what());
    }
    return std::string("no error");
  };

  const fs::path missing = folder / "нет.bmp";
  EXPECT_EQ(failure(missing), "Cannot open file " + missing.string());
  fs::create_directory(folder / "folder.bmp");
  EXPECT_EQ(failure(folder / "folder.bmp"), "Cannot open file " + (folder / "folder.bmp").string());

  QImage png(4, 4, QImage::Format_RGB32);
  png.fill(Qt::red);
  ASSERT_TRUE(png.save(QString::fromStdString((folder / "png.bmp").string()), "PNG"));
  EXPECT_EQ(failure(folder / "png.bmp"), "Bitmap image is not valid");
  WriteFile(folder / "text.bmp", "BM this is no picture");
  EXPECT_EQ(failure(folder / "text.bmp"), "Bitmap image is not valid");
  // Headers that claim absurd sizes are refused before anything is allocated.
  WriteFile(folder / "wide.bmp", BmpFile(30001, 1, 24, BiRgb, {}, std::string(90004, '\0')));
  EXPECT_EQ(failure(folder / "wide.bmp"), "Bitmap image is not valid");
  WriteFile(folder / "huge.bmp", BmpFile(20000, 20000, 24, BiRgb, {}, ""));
  EXPECT_EQ(failure(folder / "huge.bmp"), "Bitmap image is not valid");
}

TEST(BmpFile, FailedSaveKeepsTheOldFileAndLeavesNothingBehind) {
  TempFolder folder;
  Surface s;
  s.SetSize(3, 3);
  auto failure = [&](const fs::path& path) {
    try {
      s.SaveBmp(path);
    } catch (const world::FileError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };

  const fs::path noFolder = folder / "missing" / "map.bmp";
  EXPECT_EQ(failure(noFolder), "Cannot create file " + noFolder.string());
  fs::create_directory(folder / "dir.bmp");
  EXPECT_EQ(failure(folder / "dir.bmp"), "Cannot create file " + (folder / "dir.bmp").string());
  const fs::path readOnly = folder / "old.bmp";
  WriteFile(readOnly, "old picture bytes");
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(failure(readOnly), "Cannot create file " + readOnly.string());
  EXPECT_EQ(ReadFile(readOnly), "old picture bytes");
  EXPECT_EQ(folder.EntryCount(), 2u);  // the folder and the old file, no temporary left
}

}  // namespace
}  // namespace render
