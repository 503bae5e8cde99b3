#include "world/Palette.h"

#include <gtest/gtest.h>

#include <set>

#include "TestFiles.h"
#include "world/FileError.h"

using testing_files::Lines;
using testing_files::TempDir;
using world::Rgb;
using world::TPalette;

namespace {

class PaletteFile : public testing::Test {
 protected:
  PaletteFile() {
    world::DefaultPalette(Palette);
    defaults = Palette;
  }

  // Reads `bytes` as a palette file; returns the error text, or "" when the read succeeds.
  std::string Read(const std::string& bytes) {
    try {
      world::ReadPaletteFile(Palette, dir.Write("palitr.pal", bytes));
    } catch (const world::FileError& e) {
      return e.what();
    }
    return "";
  }

  TempDir dir;
  TPalette Palette{};
  TPalette defaults{};
};

}  // namespace

TEST(DefaultPalette, GivesEachPlayerItsOwnColour) {
  TPalette palette{};
  world::DefaultPalette(palette);
  EXPECT_EQ(palette[1], 0xFF00FFu);
  EXPECT_EQ(palette[3], 0x4080FFu);
  EXPECT_EQ(palette[5], 0x0000FFu);  // red in the low byte
  EXPECT_EQ(palette[8], 0x0A680Du);
  EXPECT_EQ(palette[9], 0x00FFFFu);
  EXPECT_EQ(palette[10], 0x000000u);
  EXPECT_EQ(palette[11], 0xFF0000u);
  EXPECT_EQ(palette[19], 0xFF8080u);
  EXPECT_EQ(palette[27], 0xFFFFFFu);
  EXPECT_EQ(std::set<world::Color>(palette.begin() + 1, palette.end()).size(), 27u);
  EXPECT_EQ(world::RedOf(palette[8]), 13);
  EXPECT_EQ(world::GreenOf(palette[8]), 104);
  EXPECT_EQ(world::BlueOf(palette[8]), 10);
}

TEST_F(PaletteFile, LineNSetsPlayerN) {
  ASSERT_EQ(Read(Lines({"1 2 3", "300 -1 $10 and a comment", "", "\t4  5 6", "7 8", "9 10 11",
                        "12 13 14"})),
            "");
  EXPECT_EQ(Palette[1], Rgb(1, 2, 3));
  EXPECT_EQ(Palette[2], Rgb(44, 255, 16));
  EXPECT_EQ(Palette[3], Rgb(4, 5, 6));     // the blank line counted for nothing
  EXPECT_EQ(Palette[4], Rgb(7, 8, 9));     // blue from the next line, whose rest is skipped
  EXPECT_EQ(Palette[5], Rgb(12, 13, 14));
  for (int p = 6; p <= 27; ++p) EXPECT_EQ(Palette[p], defaults[p]) << p;

  // Anything after the final line end is one more line of zeros.
  ASSERT_EQ(Read(Lines({"1 1 1", "2 2 2"}) + " "), "");
  EXPECT_EQ(Palette[3], Rgb(0, 0, 0));
  EXPECT_EQ(Palette[4], Rgb(7, 8, 9));

  std::string thirty;
  for (int n = 1; n <= 30; ++n) thirty += Lines({std::to_string(n) + " 0 0"});
  ASSERT_EQ(Read(thirty), "");
  EXPECT_EQ(Palette[27], Rgb(27, 0, 0));
  EXPECT_EQ(Palette[0], defaults[0]);
}

TEST_F(PaletteFile, AFailureKeepsTheLinesBeforeIt) {
  EXPECT_EQ(Read(Lines({"1 2 3", "4 5 6", "7 8 x", "9 9 9"})), "Invalid numeric input");
  EXPECT_EQ(Palette[1], Rgb(1, 2, 3));
  EXPECT_EQ(Palette[2], Rgb(4, 5, 6));
  EXPECT_EQ(Palette[3], defaults[3]);
  EXPECT_EQ(Palette[4], defaults[4]);

  std::string lateError;
  for (int n = 1; n <= 28; ++n) lateError += Lines({"5 5 5"});
  EXPECT_EQ(Read(lateError + Lines({"1 2 three"})), "Invalid numeric input");
  EXPECT_EQ(Palette[27], Rgb(5, 5, 5));

  world::DefaultPalette(Palette);
  try {
    world::ReadPaletteFile(Palette, dir / "missing.pal");
    ADD_FAILURE() << "a missing file was read";
  } catch (const world::FileError& e) {
    EXPECT_STREQ(e.what(), "File not found");
  }
  EXPECT_EQ(Palette, defaults);
}
