#include "world/Palette.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ScratchFolder.h"

using test_support::Lines;
using world::Rgb;

namespace {

class PaletteFile : public testing::Test {
 protected:
  PaletteFile() { world::DefaultPalette(defaults); }

  // Reads `bytes` as a palette file over the defaults; returns the error text, or "".
  std::string Read(const std::string& bytes) {
    Palette = defaults;
    return test_support::ErrorOf(
        [&] { world::ReadPaletteFile(Palette, dir.Write("palitr.pal", bytes)); });
  }

  test_support::ScratchFolder dir;
  world::TPalette Palette{}, defaults{};
};

}  // namespace

TEST_F(PaletteFile, LineNSetsPlayerNOverDefaultsUpToAFailure) {
  EXPECT_EQ(defaults[8], 0x0A680Du);

  ASSERT_EQ(Read(Lines({"1 2 3", "300 -1 $10 and a comment", "", "\t4  5 6", "7 8", "9 10 11",
                        "12 13 14"})),
            "");
  EXPECT_EQ(Palette[1], Rgb(1, 2, 3));
  EXPECT_EQ(Palette[2], Rgb(44, 255, 16));
  EXPECT_EQ(Palette[3], Rgb(4, 5, 6));  // the blank line counted for nothing
  EXPECT_EQ(Palette[4], Rgb(7, 8, 9));  // blue from the next line, whose rest is skipped
  EXPECT_EQ(Palette[5], Rgb(12, 13, 14));
  EXPECT_TRUE(std::equal(Palette.begin() + 6, Palette.end(), defaults.begin() + 6));

  // Anything after the final line end is one more line of zeros.
  ASSERT_EQ(Read(Lines({"1 1 1", "2 2 2"}) + " "), "");
  EXPECT_EQ(Palette[3], Rgb(0, 0, 0));

  // A failure keeps the lines before it.
  EXPECT_EQ(Read(Lines({"1 2 3", "4 5 6", "7 8 x", "9 9 9"})), "Invalid numeric input");
  EXPECT_EQ(Palette[2], Rgb(4, 5, 6));
  EXPECT_TRUE(std::equal(Palette.begin() + 3, Palette.end(), defaults.begin() + 3));

  // Lines past the 27th are read all the same, so a bad one is still an error.
  std::string thirty;
  for (int n = 1; n <= 30; ++n) thirty += Lines({std::to_string(n) + (n == 29 ? " 0 x" : " 0 0")});
  EXPECT_EQ(Read(thirty), "Invalid numeric input");
  EXPECT_EQ(Palette[27], Rgb(27, 0, 0));
}
