// The former decoding of Surface::LoadBmp, moved here unchanged but for its entry point: Qt's
// QImageReader with a check for pixels it leaves unwritten, indexed colours looked up by our own
// table, and a fast path for plain 24-bit pictures.

#include "QtBmpWitness.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace render::testing {

namespace {

using world::Color;

static_assert(std::endian::native == std::endian::little, "BMP pixels are read as little-endian words");

constexpr int MaxBmpSide = 30000;
constexpr int64_t MaxBmpPixels = 200'000'000;

struct NotValidError : std::runtime_error {
  NotValidError() : std::runtime_error("Bitmap image is not valid") {}
};
NotValidError NotValid() { return {}; }

uint32_t Le16At(const QByteArray& bytes, qsizetype at) {
  return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8;
}
uint32_t Le32At(const QByteArray& bytes, qsizetype at) { return Le16At(bytes, at) | Le16At(bytes, at + 2) << 16; }

enum class PixelBytes { Complete, Missing, Compressed, Unusual };

// Whether the file holds every pixel row, padding included. With one of the usual headers
// (12, 40, 108 or 124 bytes), no compression, no more colours than the bits can index, and
// the pixels where the header says, the rows are exactly where the header puts them. The
// decoder reads as many rows as there are and leaves the others as whatever its memory held,
// so a file that lacks some is refused. A compressed picture may leave pixels out on purpose.
// Any other file the decoder interprets in ways of its own; it is checked after decoding.
PixelBytes PixelBytesOf(const QByteArray& bytes) {
  constexpr int64_t FileHeaderBytes = 14;
  constexpr uint32_t CoreHeaderBytes = 12, InfoHeaderBytes = 40, V4HeaderBytes = 108, V5HeaderBytes = 124;
  constexpr uint32_t Uncompressed = 0, Bitfields = 3;
  if (bytes.size() < FileHeaderBytes + CoreHeaderBytes) return PixelBytes::Unusual;
  const uint32_t dataOffset = Le32At(bytes, 10);
  const uint32_t headerBytes = Le32At(bytes, 14);
  int64_t width, height, colourEntryBytes, maskBytes = 0;
  uint32_t bitsPerPixel, compression = Uncompressed, colours = 0;
  if (headerBytes == CoreHeaderBytes) {
    width = Le16At(bytes, 18);
    height = int16_t(Le16At(bytes, 20));
    bitsPerPixel = Le16At(bytes, 24);
    colourEntryBytes = 3;
  } else if (headerBytes == InfoHeaderBytes || headerBytes == V4HeaderBytes || headerBytes == V5HeaderBytes) {
    if (bytes.size() < FileHeaderBytes + InfoHeaderBytes) return PixelBytes::Missing;
    width = int32_t(Le32At(bytes, 18));
    height = int32_t(Le32At(bytes, 22));
    bitsPerPixel = Le16At(bytes, 28);
    compression = Le32At(bytes, 30);
    colours = Le32At(bytes, 46);
    colourEntryBytes = 4;
    // The colour masks follow a plain info header; the later headers hold them inside.
    if (headerBytes == InfoHeaderBytes && compression == Bitfields) maskBytes = 12;
  } else {
    return PixelBytes::Unusual;
  }
  if (compression != Uncompressed && compression != Bitfields) return PixelBytes::Compressed;
  width = std::abs(width);
  height = std::abs(height);
  if (width > MaxBmpSide || height > MaxBmpSide) return PixelBytes::Unusual;  // refused by size anyway
  int64_t colourTableBytes = 0;
  if (bitsPerPixel <= 8) {
    if (colours > (1u << bitsPerPixel)) return PixelBytes::Unusual;
    colourTableBytes = int64_t(colours ? colours : 1u << bitsPerPixel) * colourEntryBytes;
  } else if (colours != 0) {
    return PixelBytes::Unusual;
  }
  const int64_t headersEnd = FileHeaderBytes + headerBytes + maskBytes + colourTableBytes;
  if (dataOffset < headersEnd || dataOffset > bytes.size()) return PixelBytes::Unusual;
  const int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
  return dataOffset + rowBytes * height <= bytes.size() ? PixelBytes::Complete : PixelBytes::Missing;
}

// The colours of a decoded picture. Indexed pictures are looked up here rather than by Qt's
// conversion, which reads past the end of the colour table for an index the table lacks, and a
// file may well use such indexes. They are black.
std::vector<Color> ColoursOf(QImage image) {
  const int width = image.width(), height = image.height();
  std::vector<Color> pixels(size_t(width) * size_t(height));
  const QImage::Format format = image.format();
  if (format == QImage::Format_Indexed8 || format == QImage::Format_Mono || format == QImage::Format_MonoLSB) {
    std::array<Color, 256> table{};
    const QList<QRgb> colours = image.colorTable();
    for (qsizetype i = 0; i < std::min<qsizetype>(colours.size(), 256); ++i)
      table[size_t(i)] = world::Rgb(uint8_t(qRed(colours[i])), uint8_t(qGreen(colours[i])), uint8_t(qBlue(colours[i])));
    for (int y = 0; y < height; ++y) {
      const uchar* line = image.constScanLine(y);
      Color* out = pixels.data() + size_t(y) * width;
      for (int x = 0; x < width; ++x) {
        const int index = format == QImage::Format_Indexed8 ? line[x]
                          : format == QImage::Format_Mono   ? line[x >> 3] >> (7 - (x & 7)) & 1
                                                            : line[x >> 3] >> (x & 7) & 1;
        out[x] = table[size_t(index)];
      }
    }
    return pixels;
  }
  image.convertTo(QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    Color* out = pixels.data() + size_t(y) * width;
    for (int x = 0; x < width; ++x)
      out[x] = world::Rgb(uint8_t(qRed(line[x])), uint8_t(qGreen(line[x])), uint8_t(qBlue(line[x])));
  }
  return pixels;
}

// Decodes into a picture whose memory is set to `fill` beforehand, which the decoder keeps for
// the pixels it does not write when it reuses the picture (`reused`), as it does for the right
// size and format. False when the decoder refuses the file or it is larger than the limits.
bool DecodeOver(QByteArray& bytes, uint8_t fill, QImage& image, bool& reused) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  // Only a real BMP is accepted, whatever else the bytes might decode as.
  reader.setAutoDetectImageFormat(false);
  // A top-down picture reports its height negative, as its header stores it.
  const QSize size = reader.size();
  const int64_t width = std::abs(int64_t(size.width())), height = std::abs(int64_t(size.height()));
  if (width > MaxBmpSide || height > MaxBmpSide || width * height > MaxBmpPixels) return false;
  const int64_t limitBytes = int64_t(QImageReader::allocationLimit()) << 20;  // 0: none
  if (limitBytes > 0 && width * height * 4 > limitBytes) return false;
  image = QImage(int(width), int(height), reader.imageFormat());
  if (!image.isNull()) std::memset(image.bits(), fill, size_t(image.sizeInBytes()));
  const uchar* filled = image.constBits();
  if (!reader.read(&image) || image.isNull()) return false;
  reused = filled != nullptr && image.constBits() == filled;
  return true;
}

// Decodes an uncompressed 24-bit picture with the plain 54-byte headers, the form map pictures
// come in, without Qt's general decoder and its second copy of the pixels. Its pixels are
// exactly Qt's. Returns false for any other picture, which Qt reads instead.
bool DecodePlain24Bit(const QByteArray& bytes, int& width, int& height, std::vector<Color>& pixels) {
  constexpr qsizetype HeaderBytes = 14 + 40;
  if (bytes.size() < HeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const int64_t w = int32_t(Le32At(bytes, 18)), h = int32_t(Le32At(bytes, 22));
  // Pixels right after the headers, one plane, 24 bits, no compression, no colour table.
  const bool plain = Le32At(bytes, 10) == HeaderBytes && Le32At(bytes, 14) == 40 && Le16At(bytes, 26) == 1 &&
                     Le16At(bytes, 28) == 24 && Le32At(bytes, 30) == 0;
  if (!plain || Le32At(bytes, 46) != 0 || w <= 0 || h == 0) return false;
  const bool topDown = h < 0;
  const int64_t rows = topDown ? -h : h;
  if (w > MaxBmpSide || rows > MaxBmpSide || w * rows > MaxBmpPixels) throw NotValid();
  const int64_t rowBytes = (w * 3 + 3) & ~int64_t(3);
  if (HeaderBytes + rowBytes * rows > bytes.size()) throw NotValid();

  pixels.resize(size_t(w) * size_t(rows));
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData()) + HeaderBytes;
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* in = data + (topDown ? y : rows - 1 - y) * rowBytes;
    Color* out = pixels.data() + y * w;
    // Blue, green, red taken four bytes at a time; past the last pixel of the file lies the
    // terminating zero that QByteArray always keeps.
    for (int64_t x = 0; x < w; ++x, in += 3) {
      uint32_t bgr;
      std::memcpy(&bgr, in, sizeof bgr);
      out[x] = __builtin_bswap32(bgr << 8);
    }
  }
  width = int(w);
  height = int(rows);
  return true;
}

}  // namespace

WitnessPicture QtBmpWitness(const std::string& file) {
  try {
    QByteArray bytes = QByteArray::fromRawData(file.data(), qsizetype(file.size()));
    const PixelBytes pixelBytes = PixelBytesOf(bytes);
    if (pixelBytes == PixelBytes::Missing) throw NotValid();

    // The fast path used to take every plain 24-bit picture. Here it takes only those beyond
    // the size Qt allocates (which it refuses), so that the others are read by Qt and the new
    // decoder's reading of them is checked against Qt's.
    const int64_t limitBytes = int64_t(QImageReader::allocationLimit()) << 20;
    int plainWidth = 0, plainHeight = 0;
    std::vector<Color> plainPixels;
    if (DecodePlain24Bit(bytes, plainWidth, plainHeight, plainPixels) &&
        (limitBytes == 0 || int64_t(plainWidth) * plainHeight * 4 > limitBytes))
      return {false, plainWidth, plainHeight, std::move(plainPixels)};

    // The pixels a compressed picture leaves out take colour 0 of its table, as on a bitmap
    // that starts out cleared.
    QImage image;
    bool reused = false;
    if (!DecodeOver(bytes, 0x00, image, reused)) throw NotValid();
    std::vector<Color> pixels = ColoursOf(image);
    // A file whose layout does not vouch for its pixels is decoded a second time over all one
    // bits: a pixel the decoder did not write from the file differs between the two.
    if (pixelBytes == PixelBytes::Unusual || !reused) {
      QImage again;
      if (!DecodeOver(bytes, 0xFF, again, reused) || again.size() != image.size() || ColoursOf(again) != pixels)
        throw NotValid();
    }
    return {false, image.width(), image.height(), std::move(pixels)};
  } catch (const NotValidError&) {
    return {};
  }
}

namespace {

bool QtMakesItsOwnImage(const std::string& file) {
  if (file.size() < 14 + 108) return false;
  const QByteArray bytes = QByteArray::fromRawData(file.data(), qsizetype(file.size()));
  const uint32_t header = Le32At(bytes, 14);
  return (header == 108 || header == 124) && Le16At(bytes, 28) == 32 && Le32At(bytes, 30) == 0 &&
         Le32At(bytes, 66) == 0xFF000000;
}

}  // namespace

Verdict Compare(const std::string& file, const BmpPicture& ours, const WitnessPicture& witness) {
  if (!witness.refused && ours.fault == BmpFault::RunCutShort) return Verdict::RunCutShort;
  if (!witness.refused && ours.fault == BmpFault::MissingPixels && QtMakesItsOwnImage(file)) return Verdict::Unfilled;
  if (witness.refused || ours.fault != BmpFault::None)
    return witness.refused && ours.fault != BmpFault::None ? Verdict::Agree : Verdict::Differ;
  return ours.width == witness.width && ours.height == witness.height && ours.pixels == witness.pixels
             ? Verdict::Agree
             : Verdict::Differ;
}

}  // namespace render::testing
