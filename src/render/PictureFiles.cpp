// Reading and writing Surface pixels as Windows BMP files, and writing them as PNG.

#include <libdeflate.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <string>

#include "render/Surface.h"
#include "world/FileError.h"
#include "world/FileName.h"
#include "world/FileReplacement.h"
#include "world/TextReader.h"

namespace render {

namespace {

static_assert(std::endian::native == std::endian::little, "BMP pixels are read and written as little-endian words");

// Pictures larger than this are refused as invalid rather than allocated.
constexpr int MaxBmpSide = 30000;
constexpr int64_t MaxBmpPixels = 200'000'000;

std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

world::FileError CannotOpen(const std::filesystem::path& path) {
  return world::FileError("Cannot open file " + PathText(path));
}
world::FileError NotValid() { return world::FileError("Bitmap image is not valid"); }
world::FileError CannotCreate(const std::filesystem::path& path) { return world::FileError::CannotCreate(path); }

// Larger files are no picture that could be taken: MaxBmpPixels at 32 bits, and the headers.
constexpr int64_t MaxBmpFileBytes = MaxBmpPixels * 4 + 65536;

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

// Blue, green and red of a colour in the low three bytes; the top byte is no colour.
uint64_t BgrOf(Color c) { return __builtin_bswap32(c) >> 8; }

// One row of 24-bit pixels: every eight pixels make 24 bytes, stored as three 64-bit words.
void EncodeRow24(const Color* row, int width, uint8_t* out) {
  int x = 0;
  for (; x + 8 <= width; x += 8, out += 24) {
    const uint64_t words[3] = {
        BgrOf(row[x]) | BgrOf(row[x + 1]) << 24 | BgrOf(row[x + 2]) << 48,
        BgrOf(row[x + 2]) >> 16 | BgrOf(row[x + 3]) << 8 | BgrOf(row[x + 4]) << 32 | BgrOf(row[x + 5]) << 56,
        BgrOf(row[x + 5]) >> 8 | BgrOf(row[x + 6]) << 16 | BgrOf(row[x + 7]) << 40};
    std::memcpy(out, words, sizeof words);
  }
  for (; x < width; ++x, out += 3) {
    const uint64_t bgr = BgrOf(row[x]);
    out[0] = uint8_t(bgr);
    out[1] = uint8_t(bgr >> 8);
    out[2] = uint8_t(bgr >> 16);
  }
}

}  // namespace

void Surface::LoadBmp(const std::filesystem::path& path) {
  // A file that is missing, a folder, a pipe or a device, or not ours to read cannot be opened.
  std::optional<std::string> file;
  try {
    file = world::ReadWholeFileUpTo(path, MaxBmpFileBytes);
  } catch (const world::FileError&) {
    throw CannotOpen(path);
  }
  if (!file) throw NotValid();
  QByteArray bytes = QByteArray::fromRawData(file->data(), qsizetype(file->size()));
  const PixelBytes pixelBytes = PixelBytesOf(bytes);
  if (pixelBytes == PixelBytes::Missing) throw NotValid();

  int plainWidth = 0, plainHeight = 0;
  std::vector<Color> plainPixels;
  if (DecodePlain24Bit(bytes, plainWidth, plainHeight, plainPixels)) {
    width_ = plainWidth;
    height_ = plainHeight;
    pixels_ = std::move(plainPixels);
    contentId_ = 0;
    return;
  }

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
  width_ = image.width();
  height_ = image.height();
  pixels_ = std::move(pixels);
  contentId_ = 0;
}

// A 24-bit bottom-up BMP, written straight from the pixels. The target is replaced by renaming
// a complete new file over it, so a failed save leaves the old picture as it was.
void Surface::SaveBmp(const std::filesystem::path& path, world::Sync sync) const {
  const uint64_t rowBytes = (uint64_t(width_) * 3 + 3) & ~uint64_t(3);
  const uint64_t imageBytes = rowBytes * uint64_t(height_);
  constexpr uint32_t headerBytes = 14 + 40;
  if (headerBytes + imageBytes > 0xFFFFFFFFu) throw CannotCreate(path);

  // The headers and whole rows are encoded into one buffer of about a megabyte, written whenever
  // the next row would not fit.
  const size_t rowsPerWrite = std::max<size_t>(1, (size_t(1) << 20) / std::max<uint64_t>(rowBytes, 1));
  std::vector<uint8_t> out(headerBytes + rowsPerWrite * rowBytes);
  uint8_t* header = out.data();
  auto put16 = [&header](uint32_t v) {
    *header++ = uint8_t(v);
    *header++ = uint8_t(v >> 8);
  };
  auto put32 = [&put16](uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  put16('B' | 'M' << 8);
  put32(uint32_t(headerBytes + imageBytes));
  put32(0);  // reserved
  put32(headerBytes);
  put32(40);  // BITMAPINFOHEADER
  put32(uint32_t(width_));
  put32(uint32_t(height_));  // positive: bottom-up
  put16(1);                  // planes
  put16(24);                 // bits per pixel
  put32(0);                  // BI_RGB
  put32(uint32_t(imageBytes));
  put32(3780);  // 96 dots per inch
  put32(3780);
  put32(0);  // colours used
  put32(0);  // important colours

  // Every failure of a picture save has the one text, whatever the system's reason.
  try {
    world::FileReplacement file(path);
    size_t used = headerBytes;
    for (int y = height_ - 1; y >= 0; --y) {
      if (used + rowBytes > out.size()) {
        file.Write(out.data(), used);
        used = 0;
      }
      uint8_t* line = out.data() + used;
      EncodeRow24(Row(y), width_, line);
      std::memset(line + 3 * size_t(width_), 0, rowBytes - 3 * uint64_t(width_));
      used += rowBytes;
    }
    file.Write(out.data(), used);
    file.Commit(sync);
  } catch (const world::FileError&) {
    throw CannotCreate(path);
  }
}

namespace {

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

// One chunk: its length, type, data and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], const uint8_t* data, size_t size) {
  PutBigEndian32(out, uint32_t(size));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data, data + size);
  PutBigEndian32(out, libdeflate_crc32(0, out.data() + typeAt, 4 + size));
}

}  // namespace

// PNG of 8-bit RGB, every row with the "Up" filter (each byte less the one above it), which
// suits maps of large plain areas, compressed by libdeflate at zlib's default level: a picture of
// the size zlib's default gives, in a fraction of libpng's time.
void Surface::SavePng(const std::filesystem::path& path, world::Sync sync) const {
  if (width_ <= 0 || height_ <= 0 || uint64_t(width_) * 3 + 1 > 0x7FFFFFFF / uint64_t(height_)) throw CannotCreate(path);
  const size_t rowBytes = size_t(width_) * 3 + 1;
  std::vector<uint8_t> filtered(rowBytes * size_t(height_));
  const std::vector<Color> noRow(size_t(width_), 0);  // what the first row has above it
  for (int y = 0; y < height_; ++y) {
    const Color* row = Row(y);
    const Color* above = y > 0 ? Row(y - 1) : noRow.data();
    uint8_t* out = filtered.data() + rowBytes * size_t(y);
    *out++ = 2;  // Up
    for (int x = 0; x < width_; ++x, out += 3) {
      // R, G and B are the low three bytes of a pixel.
      out[0] = uint8_t(row[x] - above[x]);
      out[1] = uint8_t((row[x] >> 8) - (above[x] >> 8));
      out[2] = uint8_t((row[x] >> 16) - (above[x] >> 16));
    }
  }
  struct Compressor {
    libdeflate_compressor* c = libdeflate_alloc_compressor(6);
    ~Compressor() { libdeflate_free_compressor(c); }
  } compressor;
  if (!compressor.c) throw CannotCreate(path);
  std::vector<uint8_t> deflated(libdeflate_zlib_compress_bound(compressor.c, filtered.size()));
  const size_t deflatedSize =
      libdeflate_zlib_compress(compressor.c, filtered.data(), filtered.size(), deflated.data(), deflated.size());
  if (deflatedSize == 0) throw CannotCreate(path);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian32(header, uint32_t(width_));
  PutBigEndian32(header, uint32_t(height_));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace
  PutChunk(png, "IHDR", header.data(), header.size());
  PutChunk(png, "IDAT", deflated.data(), deflatedSize);
  PutChunk(png, "IEND", nullptr, 0);
  try {
    world::ReplaceFile(path, png.data(), png.size(), sync);
  } catch (const world::FileError&) {
    throw CannotCreate(path);
  }
}

bool HasPngExtension(const std::filesystem::path& path) {
  return world::HasExtension(path, ".png");
}

}  // namespace render
