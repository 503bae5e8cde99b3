#pragma once
// BMP files built byte by byte for the decoder's tests: any header size, bit depth,
// compression, colour table, masks and pixel offset, right or wrong.

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "world/Palette.h"

namespace render::testing {

inline std::string Le(uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += char(v >> (8 * i));
  return out;
}

struct BmpFile {
  int32_t headerSize = 40;  // 12 for the OS/2 header; any other size not 40, 64, 108 or 124 is written like 12
  int32_t width = 1, height = 1;
  int32_t planes = 1, bits = 24;
  uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 masks
  int32_t coloursUsed = 0;
  std::array<uint32_t, 4> headerMasks{};           // red, green, blue, alpha in 108 and 124-byte headers
  std::optional<std::array<uint32_t, 3>> masks;    // written after the header
  std::vector<world::Color> table;                 // 3 bytes an entry after a 12-byte header, else 4
  std::string gap;                                 // between the table and the pixels
  std::string pixels;
  std::optional<int64_t> dataOffset;               // where the file header says the pixels are

  int64_t PixelsAt() const {
    return 14 + headerSize + (masks ? 12 : 0) + int64_t(table.size()) * (headerSize == 12 ? 3 : 4) +
           int64_t(gap.size());
  }

  std::string Bytes() const {
    std::string header;
    const bool info = headerSize == 40 || headerSize == 64 || headerSize == 108 || headerSize == 124;
    if (info) {
      header = Le(uint32_t(headerSize), 4) + Le(uint32_t(width), 4) + Le(uint32_t(height), 4) + Le(planes, 2) +
               Le(bits, 2) + Le(compression, 4) + Le(pixels.size(), 4) + Le(2835, 4) + Le(2835, 4) +
               Le(uint32_t(coloursUsed), 4) + Le(0, 4);
      if (headerSize >= 108)
        for (uint32_t mask : headerMasks) header += Le(mask, 4);
    } else {
      header = Le(uint32_t(headerSize), 4) + Le(uint16_t(width), 2) + Le(uint16_t(height), 2) + Le(planes, 2) +
               Le(bits, 2);
    }
    header.resize(size_t(std::max(headerSize, 12)), '\0');
    std::string after;
    if (masks)
      for (uint32_t mask : *masks) after += Le(mask, 4);
    for (world::Color c : table) {
      after += {char(c >> 16), char(c >> 8), char(c)};  // blue, green, red
      if (headerSize != 12) after += '\0';
    }
    after += gap;
    const int64_t at = dataOffset ? *dataOffset : PixelsAt();
    return "BM" + Le(uint32_t(14 + header.size() + after.size() + pixels.size()), 4) + Le(0, 4) +
           Le(uint32_t(at), 4) + header + after + pixels;
  }
};

// Rows of `bits`-bit values packed as a BMP stores them, first pixel in the top bits, each row
// padded to whole 32-bit words; `value(x, row)` for the rows in file order.
inline std::string PackedRows(int width, int rows, int bits, const std::function<uint32_t(int, int)>& value) {
  std::string out;
  for (int row = 0; row < rows; ++row) {
    std::string line(size_t((int64_t(width) * bits + 31) / 32 * 4), '\0');
    for (int x = 0; x < width; ++x) {
      const uint32_t v = value(x, row);
      if (bits < 8) {
        const int bit = x * bits;
        line[size_t(bit / 8)] = char(uint8_t(line[size_t(bit / 8)]) | (v & ((1u << bits) - 1)) << (8 - bits - bit % 8));
      } else {
        for (int i = 0; i < bits / 8; ++i) line[size_t(x * bits / 8 + i)] = char(v >> (8 * i));
      }
    }
    out += line;
  }
  return out;
}

}  // namespace render::testing
