// Plain 24-bit pictures are decoded without Qt and saved a megabyte at a time; both must give
// exactly the pixels and bytes that the general way gives.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QByteArray>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <string>

#include "render/Surface.h"

namespace render {
namespace {

namespace fs = std::filesystem;

std::string Le(uint32_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += char(v >> (8 * i));
  return out;
}

// File header and BITMAPINFOHEADER; `gap` bytes between them and the pixels.
std::string Bmp24(int width, int height, uint32_t coloursUsed, int gap, const std::string& pixels) {
  const uint32_t offset = 54 + uint32_t(gap);
  return "BM" + Le(offset + uint32_t(pixels.size()), 4) + Le(0, 4) + Le(offset, 4) + Le(40, 4) + Le(width, 4) +
         Le(height, 4) + Le(1, 2) + Le(24, 2) + Le(0, 4) + Le(uint32_t(pixels.size()), 4) + Le(0, 4) + Le(0, 4) +
         Le(coloursUsed, 4) + Le(0, 4) + std::string(size_t(gap), '\x55') + pixels;
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

class BmpPixels : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove(path_); }
  Surface Loaded(const std::string& bytes) {
    std::ofstream(path_, std::ios::binary) << bytes;
    Surface s;
    s.LoadBmp(path_);
    return s;
  }
  const fs::path path_ = fs::temp_directory_path() / ("render_bmp_pixels_" + std::to_string(::getpid()) + ".bmp");
};

TEST_F(BmpPixels, Plain24BitPicturesReadAsQtReadsThem) {
  for (int width = 1; width <= 5; ++width)
    for (int height : {3, -3}) {
      const int rowBytes = (width * 3 + 3) / 4 * 4;
      std::string pixels;
      for (int i = 0; i < rowBytes * 3; ++i) pixels += char(i * 37 + width * 11);
      // Plain, and (left to Qt) with a colour count or a gap before the pixels.
      for (const std::string& file : {Bmp24(width, height, 0, 0, pixels), Bmp24(width, height, 2, 0, pixels),
                                      Bmp24(width, height, 0, 4, pixels)}) {
        const Surface expected = DecodedByQt(file);
        ASSERT_EQ(expected.Width(), width);
        EXPECT_EQ(Loaded(file), expected) << width << " x " << height;
      }
    }
}

TEST_F(BmpPixels, LargePicturesAreSavedWholeAcrossSeveralWrites) {
  Surface original;
  original.SetSize(601, 700);  // 1804 bytes a row: about 1.3 MB in all
  for (int y = 0; y < 700; ++y)
    for (int x = 0; x < 601; ++x) original.SetPixel(x, y, world::Rgb(uint8_t(x), uint8_t(y), uint8_t(x ^ y)));
  original.Row(5)[7] |= 0xFF000000;  // a stray top byte is no colour
  original.SaveBmp(path_);
  EXPECT_EQ(fs::file_size(path_), 54u + 700 * 1804);

  std::ifstream in(path_, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  original.Row(5)[7] &= 0xFFFFFF;
  EXPECT_EQ(DecodedByQt(bytes), original);
  Surface loaded;
  loaded.LoadBmp(path_);
  EXPECT_EQ(loaded, original);
}

}  // namespace
}  // namespace render
