#pragma once
// The editor's former way of reading BMP files, through Qt's decoder, kept for the tests as a
// witness that render::DecodeBmp reads every file as the editor always has. Never linked by src/.

#include <string>
#include <vector>

#include "render/BmpDecoder.h"
#include "world/Palette.h"

namespace render::testing {

struct WitnessPicture {
  bool refused = true;
  int width = 0, height = 0;
  std::vector<world::Color> pixels;  // row by row from the top
};

// What the former Surface::LoadBmp made of a file with these bytes (the file size limit aside).
WitnessPicture QtBmpWitness(const std::string& file);

// How the decoder's reading of a file compares with the witness's: both refuse it, or both
// take it with the same size and pixels; or the witness took colours from memory Qt never set,
// in one of two known ways, and the decoder refuses the file.
enum class Verdict {
  Agree,
  Differ,
  // A run that the file ends inside: Qt took its colour from a variable it never set (or, in a
  // 4-bit run, from the run's length). The decoder refuses it as a run cut short.
  RunCutShort,
  // A 32-bit picture with a 108 or 124-byte header, no compression and an alpha mask of
  // 0xFF000000 that lacks rows: Qt reads it into an image with alpha of its own making instead
  // of the one the former reading had filled, so the check of the pixels it leaves out compares
  // two stretches of memory nobody set, which are often alike. The decoder refuses it as
  // missing pixels.
  Unfilled,
};
Verdict Compare(const std::string& file, const BmpPicture& ours, const WitnessPicture& witness);

}  // namespace render::testing
