#include <gtest/gtest.h>

#include <cerrno>

#include "TestFiles.h"

using testing_files::Cp;
using world::FileError;

TEST(Cp1251, ConvertsRussianTextBothWaysAndKeepsEveryByte) {
  EXPECT_EQ(Cp("АБВ абв Ёё №€—«»"), "\xC0\xC1\xC2 \xE0\xE1\xE2 \xA8\xB8 \xB9\x88\x97\xAB\xBB");
  EXPECT_EQ(world::Cp1251ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2, \xFF!"), "Привет, я!");
  EXPECT_EQ(Cp("日x\xFF\xC3"), "?x??");  // no such letter, then broken UTF-8

  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte += char(b);
  EXPECT_EQ(Cp(world::Cp1251ToUtf8(everyByte)), everyByte);
}

TEST(FileError, SystemErrorsBecomeTheGameCodesAndTexts) {
  const struct {
    int err, code;
    const char* text;
  } cases[] = {{ENOENT, 2, "File not found"},      {ENAMETOOLONG, 3, "Invalid filename"},
               {EMFILE, 4, "Too many open files"},  {EACCES, 5, "File access denied"},
               {EISDIR, 5, "File access denied"},   {ENOSPC, 101, "Disk full"}};
  for (const auto& c : cases) {
    EXPECT_EQ(FileError::FromErrno(c.err).code(), c.code) << c.text;
    EXPECT_STREQ(FileError::FromErrno(c.err).what(), c.text);
  }
  EXPECT_STREQ(FileError::FromErrno(EIO).what(), ("I/O error " + std::to_string(EIO)).c_str());
  EXPECT_STREQ(FileError::Io(world::IoInvalidNumeric).what(), "Invalid numeric input");

  testing_files::TempDir dir;
  EXPECT_EQ(FileError::FromErrno(ENOENT, dir / "missing.tvk").code(), 2);
  EXPECT_EQ(FileError::FromErrno(ENOENT, dir / "no-folder" / "missing.tvk").code(), 3);
  EXPECT_EQ(FileError::FromErrno(ENOENT, "bare-name-in-working-dir.tvk").code(), 2);
}
