#include "PixelFont.h"

#include <stdexcept>
#include <string>

#include "FontArt.h"

namespace demo {

std::vector<std::string_view> SplitCharacters(std::string_view utf8) {
  std::vector<std::string_view> characters;
  size_t i = 0;
  while (i < utf8.size()) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > utf8.size()) throw std::runtime_error("broken UTF-8 text: " + std::string(utf8));
    characters.push_back(utf8.substr(i, length));
    i += length;
  }
  return characters;
}

PixelFont::PixelFont() {
  for (const GlyphArt& art : FontGlyphs) {
    Glyph glyph;
    glyph.width = int(std::string_view(art.rows[0]).size());
    for (const char* row : art.rows) {
      if (int(std::string_view(row).size()) != glyph.width)
        throw std::runtime_error(std::string("glyph rows of unequal width: ") + art.character);
      glyph.rows.emplace_back(row);
    }
    if (!glyphs_.emplace(art.character, glyph).second)
      throw std::runtime_error(std::string("glyph drawn twice: ") + art.character);
  }
}

const PixelFont::Glyph& PixelFont::GlyphOf(std::string_view character) const {
  auto found = glyphs_.find(character);
  if (found == glyphs_.end()) throw std::runtime_error("the demo font has no glyph for " + std::string(character));
  return found->second;
}

int PixelFont::TextWidth(std::string_view utf8, int scale) const {
  int width = 0;
  for (std::string_view character : SplitCharacters(utf8)) width += GlyphOf(character).width + 1;
  return width == 0 ? 0 : (width - 1) * scale;
}

int PixelFont::TextHeight(int scale) { return GlyphHeight * scale; }

void PixelFont::DrawText(render::Surface& surface, int x, int y, std::string_view utf8,
                         render::Color ink, int scale) const {
  for (std::string_view character : SplitCharacters(utf8)) {
    const Glyph& glyph = GlyphOf(character);
    for (int row = 0; row < GlyphHeight; ++row)
      for (int column = 0; column < glyph.width; ++column)
        if (glyph.rows[size_t(row)][size_t(column)] == '#')
          for (int dy = 0; dy < scale; ++dy)
            for (int dx = 0; dx < scale; ++dx)
              surface.SetPixel(x + column * scale + dx, y + row * scale + dy, ink);
    x += (glyph.width + 1) * scale;
  }
}

int SmallNumberWidth(int number) { return int(std::to_string(number).size()) * 4 - 1; }

void DrawSmallNumber(render::Surface& surface, int x, int y, int number, render::Color ink) {
  for (char digit : std::to_string(number)) {
    const auto& rows = SmallDigits[size_t(digit - '0')];
    for (int row = 0; row < 5; ++row)
      for (int column = 0; column < 3; ++column)
        if (rows[size_t(row)][size_t(column)] == '#') surface.SetPixel(x + column, y + row, ink);
    x += 4;
  }
}

}  // namespace demo
