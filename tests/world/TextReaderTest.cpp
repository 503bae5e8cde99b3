#include "world/TextReader.h"

#include <gtest/gtest.h>

#include "world/FileError.h"

using world::TextReader;

namespace {

// The integers of `text`, each followed by a blank, up to the end or to the error's text.
std::string Integers(const std::string& text) {
  TextReader reader = TextReader::FromBytes(text);
  std::string read;
  try {
    while (!reader.OnlyBlanksRemain()) read += std::to_string(reader.ReadInteger()) + " ";
  } catch (const world::FileError& e) {
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
  for (const char* bad : {"12x", "+", "-", "$", "1.5", "0x10", "2147483648", "-2147483649",
                          "$80000000", "$1G", "--1", "\xE4"})
    EXPECT_EQ(Integers(bad), "Invalid numeric input") << bad;

  // Reading stops right after the token, and at the end of the file gives 0.
  TextReader reader = TextReader::FromBytes("15 coins");
  EXPECT_EQ(reader.ReadInteger(), 15);
  EXPECT_EQ(reader.ReadLine(), " coins");
  EXPECT_EQ(reader.ReadInteger(), 0);
}

TEST(TextReader, LenientConversionNeverFails) {
  const std::pair<const char*, int32_t> cases[] = {
      {"   12", 12}, {"12 ", 12}, {"5x", 5},  {"$1F", 31}, {"-5", -5},  {"-5x", 5},  {"3 4", 3},
      {"", 0},      {"x5", 0},   {"+", 0},   {"$1G", 0},
      {"99999999999x", 1215752191}};  // long digit runs wrap modulo 2^32
  for (const auto& [text, value] : cases) EXPECT_EQ(world::LenientInteger(text), value) << text;
}
