// Reading and writing Surface pixels as Windows BMP files, and writing them as PNG.

#if TIRMAGOR_PNG
#include <libdeflate.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "render/BmpDecoder.h"
#include "render/Surface.h"
#include "world/FileError.h"
#include "world/FileName.h"
#include "world/FileReplacement.h"
#include "world/TextReader.h"

namespace render {

namespace {

static_assert(std::endian::native == std::endian::little, "BMP pixels are written as little-endian words");

std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

world::FileError CannotOpen(const std::filesystem::path& path) {
  return world::FileError("Cannot open file " + PathText(path));
}
world::FileError NotValid() { return world::FileError("Bitmap image is not valid"); }
world::FileError CannotCreate(const std::filesystem::path& path) { return world::FileError::CannotCreate(path); }

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
  BmpPicture picture = DecodeBmp({reinterpret_cast<const uint8_t*>(file->data()), file->size()});
  if (picture.fault != BmpFault::None) throw NotValid();
  width_ = picture.width;
  height_ = picture.height;
  pixels_ = std::move(picture.pixels);
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
  // the next row would not fit. The browser's in-memory file system copies a file each time it
  // grows it, by an eighth, so there the whole picture goes in one write.
#ifdef __EMSCRIPTEN__
  const size_t rowsPerWrite = std::max<size_t>(1, size_t(height_));
#else
  const size_t rowsPerWrite = std::max<size_t>(1, (size_t(1) << 20) / std::max<uint64_t>(rowBytes, 1));
#endif
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

#if TIRMAGOR_PNG

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

#else

// A build without libdeflate (the browser's) leaves PNG pictures to its front end.
void Surface::SavePng(const std::filesystem::path& path, world::Sync) const { throw CannotCreate(path); }

#endif

bool HasPngExtension(const std::filesystem::path& path) {
  return world::HasExtension(path, ".png");
}

}  // namespace render
