#pragma once
// Reading Windows BMP pictures into 0x00BBGGRR pixels, in plain C++ so that the rendering core
// builds without any toolkit.

#include <cstdint>
#include <span>
#include <vector>

#include "world/Palette.h"

namespace render {

// Pictures larger than these are refused rather than allocated.
constexpr int MaxBmpSide = 30000;
constexpr int64_t MaxBmpPixels = 200'000'000;
// Every picture but a plain 24-bit one (the form map pictures come in) is held to 128 MiB of
// 32-bit pixels, the bound the editor's pictures have always been read within.
constexpr int64_t MaxBmpPixelsUnlessPlain24Bit = (int64_t(128) << 20) / 4;
// Larger files are no picture that could be taken: MaxBmpPixels at 32 bits, and the headers.
constexpr int64_t MaxBmpFileBytes = MaxBmpPixels * 4 + 65536;

// Why a picture was refused. To the user every refusal is "Bitmap image is not valid".
enum class BmpFault {
  None,
  NotValid,       // no BMP header, a value no picture can have, or a header or table cut short
  TooLarge,       // beyond the limits above
  MissingPixels,  // pixel bytes that the file lacks and nothing stands in for
  RunCutShort,    // a run of a compressed picture that the file ends inside
};

struct BmpPicture {
  BmpFault fault = BmpFault::None;
  int width = 0, height = 0;  // 0 x 0 when refused
  std::vector<world::Color> pixels;  // row by row from the top
};

// Decodes a whole BMP file: 1, 4, 8, 16, 24 and 32 bits a pixel; 4- and 8-bit run-length
// compression; 16- and 32-bit colour masks; the 12-byte OS/2 header and the 40, 64, 108 and
// 124-byte ones; rows bottom-up or, for a negative height, top-down. An index past the colour
// table is black; a pixel a compressed picture leaves out takes the table's first colour.
BmpPicture DecodeBmp(std::span<const uint8_t> file);

}  // namespace render
