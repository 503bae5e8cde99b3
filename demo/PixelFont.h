#pragma once
// Text in the demo's pictures, drawn from the bitmap font of FontArt.h.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "render/Surface.h"

namespace demo {

class PixelFont {
 public:
  // Checks the font art (rows of one glyph share one width) and indexes it; throws on a fault.
  PixelFont();

  // Width in pixels of a text at a scale, spacing included; throws for a character without glyph.
  int TextWidth(std::string_view utf8, int scale = 1) const;
  static int TextHeight(int scale = 1);
  // Draws a text whose top (the top of its capitals) is at row y, starting at column x.
  void DrawText(render::Surface& surface, int x, int y, std::string_view utf8, render::Color ink,
                int scale = 1) const;

 private:
  struct Glyph {
    int width = 0;
    std::vector<std::string_view> rows;
  };
  const Glyph& GlyphOf(std::string_view character) const;
  std::map<std::string_view, Glyph> glyphs_;
};

// The UTF-8 characters of a text, each as its own view.
std::vector<std::string_view> SplitCharacters(std::string_view utf8);

// Numbers in the small 3 x 5 digits of the map margins.
int SmallNumberWidth(int number);
void DrawSmallNumber(render::Surface& surface, int x, int y, int number, render::Color ink);

}  // namespace demo
