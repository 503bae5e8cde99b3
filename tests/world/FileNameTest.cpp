#include "world/FileName.h"

#include <gtest/gtest.h>

TEST(FileNames, ExtensionsMatchInAnyCaseAndOnlyAsTheWholeExtension) {
  EXPECT_TRUE(world::HasExtension("Год7.png", ".png"));
  EXPECT_TRUE(world::HasExtension("dir.d/MAP.PnG", ".png"));
  EXPECT_TRUE(world::HasExtension("turn.TVK", ".tvk"));
  EXPECT_FALSE(world::HasExtension("map.png.bak", ".png"));
  EXPECT_FALSE(world::HasExtension("map.pn", ".png"));
  EXPECT_FALSE(world::HasExtension("map.pngx", ".png"));
  EXPECT_FALSE(world::HasExtension("png", ".png"));
  EXPECT_FALSE(world::HasExtension("folder.png/map", ".png"));
  EXPECT_FALSE(world::HasExtension(".png", ".png")) << "a hidden file's name is no extension";
}
