#include "world/TextReader.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "ScratchFolder.h"

using test_support::Cp;
using world::FileError;
using world::TextReader;

namespace {

// The integers of `text`, each followed by a blank, up to the end or to the error's text.
std::string Integers(const std::string& text) {
  TextReader reader = TextReader::FromBytes(text);
  std::string read;
  try {
    while (!reader.OnlyBlanksRemain()) read += std::to_string(reader.ReadInteger()) + " ";
  } catch (const FileError& e) {
    read += e.what();
  }
  return read;
}

}  // namespace

TEST(TextReader, IntegersAreBlankSeparatedTokensAcrossLines) {
  EXPECT_EQ(Integers("  12\r\n\r\n\t-7 +3 $1F -$10 $7fffffff\r\n2147483647 -2147483648 "
                     "-$80000000 5\x01" "6 007"),
            "12 -7 3 31 -16 2147483647 2147483647 -2147483648 -2147483648 5 6 7 ");
  EXPECT_EQ(Integers(std::string(32, '0') + "7"), "0 7 ");  // a token holds at most 32 characters
  for (const char* bad : {"12x", "+", "$", "2147483648", "-2147483649", "$80000000", "$1G", "\xE4"})
    EXPECT_EQ(Integers(bad), "Invalid numeric input") << bad;
}

TEST(TextReader, LenientConversionNeverFails) {
  const std::pair<const char*, int32_t> cases[] = {
      {"   12", 12}, {"5x", 5}, {"$1F", 31}, {"-5", -5}, {"-5x", 5}, {"3 4", 3}, {"", 0}, {"x5", 0},
      {"99999999999x", 1215752191}};  // long digit runs wrap modulo 2^32
  for (const auto& [text, value] : cases) EXPECT_EQ(world::LenientInteger(text), value) << text;
}

TEST(Cp1251, ConvertsRussianTextBothWaysAndKeepsEveryByte) {
  EXPECT_EQ(Cp("АБВ абв Ёё №€—«»"), "\xC0\xC1\xC2 \xE0\xE1\xE2 \xA8\xB8 \xB9\x88\x97\xAB\xBB");
  EXPECT_EQ(Cp("日x\xFF\xC3"), "?x??");  // no such letter, then broken UTF-8

  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte += char(b);
  EXPECT_EQ(Cp(world::Cp1251ToUtf8(everyByte)), everyByte);
}

TEST(FileError, SystemErrorsBecomeTheGameTexts) {
  const std::pair<int, std::string> cases[] = {{ENAMETOOLONG, "Invalid filename"},
                                               {EMFILE, "Too many open files"},
                                               {ENOSPC, "Disk full"},
                                               {EIO, "I/O error " + std::to_string(EIO)}};
  for (const auto& [err, text] : cases) EXPECT_EQ(FileError::FromErrno(err).what(), text);

  // Every reader opens its file through ReadWholeFile: a missing folder is "Invalid filename".
  test_support::ScratchFolder dir;
  EXPECT_EQ(test_support::ErrorOf([&] { world::ReadWholeFile(dir / "no-folder" / "x.tvk"); }),
            "Invalid filename");
}
