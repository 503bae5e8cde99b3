#include <gtest/gtest.h>

#include <cerrno>

#include "TestFiles.h"
#include "world/Cp1251.h"
#include "world/FileError.h"
#include "world/TMap.h"

using testing_files::Cp;
using world::FileError;

TEST(Cp1251, ConvertsRussianTextBothWays) {
  EXPECT_EQ(Cp("АБВ абв Ёё №"), "\xC0\xC1\xC2 \xE0\xE1\xE2 \xA8\xB8 \xB9");
  EXPECT_EQ(world::Cp1251ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2, \xFF!"), "Привет, я!");
  EXPECT_EQ(Cp("€—«»"), "\x88\x97\xAB\xBB");
  EXPECT_EQ(Cp("日x"), "?x");
  EXPECT_EQ(Cp("\xFF\xC3"), "??");  // broken UTF-8

  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte += char(b);
  EXPECT_EQ(Cp(world::Cp1251ToUtf8(everyByte)), everyByte);
}

TEST(KindTable, LettersAreSingleBytesWhereCaseMatters) {
  const std::string letters = Cp("гвэормздлфКГЗПБCSGM");
  ASSERT_EQ(letters.size(), 19u);
  for (int k = 1; k <= world::KindCount; ++k) {
    EXPECT_EQ(world::UnitLetters[k], uint8_t(letters[k - 1])) << k;
    EXPECT_EQ(world::KindOfLetter(uint8_t(letters[k - 1])), k);
  }
  EXPECT_EQ(world::KindOfLetter(uint8_t(Cp("з")[0])), 7);
  EXPECT_EQ(world::KindOfLetter(uint8_t(Cp("З")[0])), 13);
  EXPECT_EQ(world::KindOfLetter(uint8_t(Cp("г")[0])), 1);
  EXPECT_EQ(world::KindOfLetter(uint8_t(Cp("Г")[0])), 12);
  EXPECT_EQ(world::KindOfLetter(uint8_t(Cp("С")[0])), 0);  // Cyrillic look-alikes
  EXPECT_EQ(world::KindOfLetter(uint8_t(Cp("М")[0])), 0);
  EXPECT_EQ(world::KindOfLetter('c'), 0);
  EXPECT_EQ(world::KindOfLetter(0), 0);
  EXPECT_STREQ(world::MineNames[1], "Серебряный");
  EXPECT_STREQ(world::MineNames[4], "Драконий");
}

TEST(FileError, CodesCarryTheirTexts) {
  EXPECT_EQ(FileError::IoText(2), "File not found");
  EXPECT_EQ(FileError::IoText(3), "Invalid filename");
  EXPECT_EQ(FileError::IoText(4), "Too many open files");
  EXPECT_EQ(FileError::IoText(5), "File access denied");
  EXPECT_EQ(FileError::IoText(100), "Read beyond end of file");
  EXPECT_EQ(FileError::IoText(101), "Disk full");
  EXPECT_EQ(FileError::IoText(106), "Invalid numeric input");
  EXPECT_EQ(FileError::IoText(32), "I/O error 32");
  const FileError io = FileError::Io(106);
  EXPECT_EQ(io.code(), 106);
  EXPECT_STREQ(io.what(), "Invalid numeric input");
}

TEST(FileError, SystemErrorsMapToTheGameCodes) {
  EXPECT_EQ(FileError::FromErrno(ENOENT).code(), 2);
  EXPECT_EQ(FileError::FromErrno(ENAMETOOLONG).code(), 3);
  EXPECT_EQ(FileError::FromErrno(EINVAL).code(), 3);
  EXPECT_EQ(FileError::FromErrno(EMFILE).code(), 4);
  EXPECT_EQ(FileError::FromErrno(ENFILE).code(), 4);
  for (int err : {EACCES, EPERM, EROFS, EISDIR}) EXPECT_EQ(FileError::FromErrno(err).code(), 5);
  EXPECT_STREQ(FileError::FromErrno(ENOSPC).what(), "Disk full");
  EXPECT_EQ(FileError::FromErrno(EDQUOT).code(), 101);
  EXPECT_STREQ(FileError::FromErrno(EIO).what(), ("I/O error " + std::to_string(EIO)).c_str());
  EXPECT_EQ(FileError::FromErrno(EIO).code(), EIO);
  EXPECT_STREQ(FileError::FromErrno(EBUSY).what(), ("I/O error " + std::to_string(EBUSY)).c_str());

  testing_files::TempDir dir;
  EXPECT_EQ(FileError::FromErrno(ENOENT, dir / "missing.tvk").code(), 2);
  EXPECT_EQ(FileError::FromErrno(ENOENT, dir / "no-folder" / "missing.tvk").code(), 3);
  EXPECT_EQ(FileError::FromErrno(ENOENT, "bare-name-in-working-dir.tvk").code(), 2);
}
