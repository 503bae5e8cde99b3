#include <gtest/gtest.h>

#include <stdexcept>

#include "PixelFont.h"

namespace {

TEST(PixelFontTest, MeasuresAndDrawsGlyphsWithOnePixelBetweenThem) {
  demo::PixelFont font;
  EXPECT_EQ(font.TextWidth("Г"), 5);
  EXPECT_EQ(font.TextWidth("ГГ"), 11);
  EXPECT_EQ(font.TextWidth("ГГ", 2), 22);
  EXPECT_EQ(font.TextWidth(""), 0);

  render::Surface surface;
  surface.SetSize(30, 30);
  surface.Fill(render::White);
  font.DrawText(surface, 3, 4, "Гг", render::Black, 2);
  // "Г": a full top row and a stem on the left; "г" is two rows lower (small letters are 5 high).
  EXPECT_EQ(surface.PixelAt(3, 4), render::Black);
  EXPECT_EQ(surface.PixelAt(12, 5), render::Black);
  EXPECT_EQ(surface.PixelAt(5, 6), render::White);
  EXPECT_EQ(surface.PixelAt(3, 17), render::Black);
  EXPECT_EQ(surface.PixelAt(15, 4), render::White);
  EXPECT_EQ(surface.PixelAt(15, 8), render::Black);
}

TEST(PixelFontTest, RefusesCharactersItHasNoGlyphFor) {
  demo::PixelFont font;
  EXPECT_THROW(font.TextWidth("Гw"), std::runtime_error);
  EXPECT_THROW(font.TextWidth(std::string("\xD0", 1)), std::runtime_error);
}

}  // namespace
