// A picture whose file lacks some of its pixel bytes is refused: the decoder would otherwise
// fill the missing rows from whatever its memory held, different from one load to the next.
// Odd pictures that do load give the same pixels every time.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/Surface.h"
#include "world/FileError.h"

namespace robustness {
namespace {

namespace fs = std::filesystem;

std::string Le16(uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A folder of the test's own, removed however the test ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "tirmagor-bmp-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  fs::path operator/(const char* name) const { return path_ / name; }

 private:
  fs::path path_;
};

struct Picture {
  const char* name;
  std::string file;
};

// A 3 by 2 picture with an info header (or, for `core`, the old 12-byte header); every pixel
// byte and colour table entry 0x40, so that the complete file decodes to one grey.
Picture MakePicture(const char* name, int bitsPerPixel, uint32_t compression = 0, bool core = false) {
  const int width = 3, height = 2;
  const uint32_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
  std::string table;
  if (bitsPerPixel <= 8) table.assign(size_t(1 << bitsPerPixel) * (core ? 3 : 4), '\x40');
  if (compression == 3) table = Le32(0xF800) + Le32(0x07E0) + Le32(0x001F);
  const std::string pixels(rowBytes * height, bitsPerPixel <= 8 ? '\0' : '\x40');
  std::string header;
  if (core)
    header = Le32(12) + Le16(width) + Le16(height) + Le16(1) + Le16(bitsPerPixel);
  else
    header = Le32(40) + Le32(width) + Le32(height) + Le16(1) + Le16(bitsPerPixel) + Le32(compression) +
             Le32(uint32_t(pixels.size())) + Le32(0) + Le32(0) + Le32(0) + Le32(0);
  const uint32_t offset = 14 + uint32_t(header.size() + table.size());
  return {name, "BM" + Le32(offset + uint32_t(pixels.size())) + Le32(0) + Le32(offset) + header + table + pixels};
}

TEST(BmpCompleteness, EveryUncompressedLayoutNeedsAllItsRows) {
  const ScratchFolder folder;
  const fs::path file = folder / "picture.bmp";
  const Picture pictures[] = {
      MakePicture("1 bit", 1),   MakePicture("4 bit", 4),   MakePicture("8 bit", 8),
      MakePicture("16 bit", 16), MakePicture("24 bit", 24), MakePicture("32 bit", 32),
      MakePicture("16 bit with colour masks", 16, 3),       MakePicture("24 bit, old header", 24, 0, true),
      MakePicture("8 bit, old header", 8, 0, true),
  };
  for (const Picture& picture : pictures) {
    SCOPED_TRACE(picture.name);
    std::ofstream(file, std::ios::binary) << picture.file;
    render::Surface complete;
    ASSERT_NO_THROW(complete.LoadBmp(file));
    EXPECT_EQ(complete.Width(), 3);
    EXPECT_EQ(complete.Height(), 2);

    // Even the last row's padding is read; without it that row would be garbage.
    std::ofstream(file, std::ios::binary) << picture.file.substr(0, picture.file.size() - 1);
    render::Surface kept = complete;
    try {
      kept.LoadBmp(file);
      ADD_FAILURE() << "a picture one byte short was taken";
    } catch (const world::FileError& e) {
      EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
    EXPECT_TRUE(kept == complete);
  }
}

// Loads the file twice, with other memory in use in between; both loads must agree.
render::Surface LoadTwice(const fs::path& file) {
  render::Surface first, second;
  first.LoadBmp(file);
  std::vector<std::string> noise;
  for (int i = 0; i < 200; ++i) noise.emplace_back(size_t(16 * i + 8), char(i));
  second.LoadBmp(file);
  EXPECT_TRUE(first == second) << "two loads of one file differ";
  return first;
}

TEST(BmpCompleteness, OddPicturesLoadTheSameEveryTime) {
  const ScratchFolder folder;
  const fs::path file = folder / "picture.bmp";
  auto fileHeader = [](uint32_t size, uint32_t offset) { return "BM" + Le32(size) + Le32(0) + Le32(offset); };
  auto infoHeader = [](int width, int height, int bits, uint32_t compression, uint32_t colours) {
    return Le32(40) + Le32(width) + Le32(height) + Le16(1) + Le16(bits) + Le32(compression) + Le32(0) + Le32(0) +
           Le32(0) + Le32(colours) + Le32(0);
  };
  const std::string red = std::string("\0\0\xFF\0", 4), green = std::string("\0\xFF\0\0", 4);

  // Indexes past a two-colour table are black.
  std::ofstream(file, std::ios::binary) << fileHeader(14 + 40 + 8 + 4, 14 + 40 + 8) << infoHeader(4, 1, 8, 0, 2)
                                        << red + green << std::string("\x01\xC8\x00\x02", 4);
  render::Surface indexed = LoadTwice(file);
  EXPECT_EQ(indexed.PixelAt(0, 0), world::Rgb(0, 255, 0));
  EXPECT_EQ(indexed.PixelAt(1, 0), world::Rgb(0, 0, 0));
  EXPECT_EQ(indexed.PixelAt(2, 0), world::Rgb(255, 0, 0));
  EXPECT_EQ(indexed.PixelAt(3, 0), world::Rgb(0, 0, 0));

  // A compressed picture that ends after its first pixels leaves the others out: they take
  // the first colour of the table.
  const std::string rle = std::string("\x02\x01\x00\x01", 4);
  std::ofstream(file, std::ios::binary) << fileHeader(14 + 40 + 8 + 4, 14 + 40 + 8) << infoHeader(4, 2, 8, 1, 2)
                                        << red + green << rle;
  render::Surface compressed = LoadTwice(file);
  EXPECT_EQ(compressed.PixelAt(0, 1), world::Rgb(0, 255, 0));
  EXPECT_EQ(compressed.PixelAt(1, 1), world::Rgb(0, 255, 0));
  EXPECT_EQ(compressed.PixelAt(2, 1), world::Rgb(255, 0, 0));
  EXPECT_EQ(compressed.PixelAt(3, 0), world::Rgb(255, 0, 0));

  // The old header with a size the decoder knows only by its start: a complete file loads;
  // one whose rows are short is refused, although no usual layout describes where they are.
  const std::string oddHeader = Le32(16) + Le16(2) + Le16(2) + Le16(1) + Le16(24) + Le32(0);
  const std::string rows = std::string("\x10\x20\x30\x40\x50\x60\0\0", 8) + std::string("\x70\x80\x90\xA0\xB0\xC0\0\0", 8);
  std::ofstream(file, std::ios::binary) << fileHeader(14 + 16 + 16, 14 + 16) << oddHeader << rows;
  render::Surface odd = LoadTwice(file);
  EXPECT_EQ(odd.PixelAt(0, 1), world::Rgb(0x30, 0x20, 0x10));
  std::ofstream(file, std::ios::binary) << fileHeader(14 + 16 + 16, 14 + 16) << oddHeader << rows.substr(0, 10);
  render::Surface kept = odd;
  try {
    kept.LoadBmp(file);
    ADD_FAILURE() << "a picture with short rows was taken";
  } catch (const world::FileError& e) {
    EXPECT_STREQ(e.what(), "Bitmap image is not valid");
  }
  EXPECT_TRUE(kept == odd);
}

}  // namespace
}  // namespace robustness
