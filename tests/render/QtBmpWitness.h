#pragma once
// The editor's former way of reading BMP files, through Qt's decoder, kept for the tests as a
// witness that render::DecodeBmp reads every file as the editor always has. Never linked by src/.

#include <string>
#include <vector>

#include "world/Palette.h"

namespace render::testing {

struct WitnessPicture {
  bool refused = true;
  int width = 0, height = 0;
  std::vector<world::Color> pixels;  // row by row from the top
};

// What the former Surface::LoadBmp made of a file with these bytes (the file size limit aside).
WitnessPicture QtBmpWitness(const std::string& file);

}  // namespace render::testing
