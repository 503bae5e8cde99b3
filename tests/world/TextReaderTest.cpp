#include "world/TextReader.h"

#include <gtest/gtest.h>

#include "world/CellList.h"
#include "world/FileError.h"

using world::TextReader;

namespace {

int NumericErrorCode(const std::string& text) {
  TextReader reader = TextReader::FromBytes(text);
  try {
    reader.ReadInteger();
  } catch (const world::FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Invalid numeric input");
    return e.code();
  }
  return 0;
}

}  // namespace

TEST(TextReader, LinesEndAtCrAndAnLfRightAfterIt) {
  TextReader reader = TextReader::FromBytes("a\r\nb\rc\nd\r\n\r\ne");
  EXPECT_EQ(reader.LineNumber(), 1);
  EXPECT_EQ(reader.ReadLine(), "a");
  EXPECT_EQ(reader.ReadLine(), "b");
  EXPECT_EQ(reader.LineNumber(), 3);
  EXPECT_EQ(reader.ReadLine(), "c\nd");  // an LF on its own is an ordinary character
  EXPECT_EQ(reader.ReadLine(), "");
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(reader.ReadLine(), "e");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.LineNumber(), 5);
  EXPECT_EQ(reader.ReadLine(), "");
  EXPECT_TRUE(reader.AtEnd());
}

TEST(TextReader, CtrlZEndsTheFile) {
  TextReader reader = TextReader::FromBytes("ab\x1A" "cd\r\n12\r\n");
  EXPECT_EQ(reader.ReadLine(), "ab");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.ReadInteger(), 0);

  TextReader blanks = TextReader::FromBytes("1\r\n \t\r\n\x1A" "5");
  blanks.SkipLine();
  EXPECT_FALSE(blanks.AtEnd());
  EXPECT_TRUE(blanks.OnlyBlanksRemain());
  EXPECT_FALSE(TextReader::FromBytes(" \r\n x").OnlyBlanksRemain());
}

TEST(TextReader, IntegersAreBlankSeparatedTokensAcrossLines) {
  TextReader reader = TextReader::FromBytes(
      "  12\r\n\r\n\t-7 +3 $1F -$10\r\n2147483647 -2147483648 5\x01" "6 007");
  EXPECT_EQ(reader.ReadInteger(), 12);
  EXPECT_EQ(reader.ReadInteger(), -7);
  EXPECT_EQ(reader.LineNumber(), 3);
  EXPECT_EQ(reader.ReadInteger(), 3);
  EXPECT_EQ(reader.ReadInteger(), 31);
  EXPECT_EQ(reader.ReadInteger(), -16);
  EXPECT_EQ(reader.ReadInteger(), 2147483647);
  EXPECT_EQ(reader.ReadInteger(), -2147483647 - 1);
  EXPECT_EQ(reader.ReadInteger(), 5);  // a control character ends the token
  EXPECT_EQ(reader.ReadInteger(), 6);
  EXPECT_EQ(reader.ReadInteger(), 7);
  EXPECT_EQ(reader.ReadInteger(), 0);  // end of the file
  EXPECT_EQ(reader.ReadInteger(), 0);

  // A token holds at most 32 characters; the rest is the next token.
  TextReader longToken = TextReader::FromBytes(std::string(32, '0') + "7");
  EXPECT_EQ(longToken.ReadInteger(), 0);
  EXPECT_EQ(longToken.ReadInteger(), 7);

  // Reading stops right after the token, so the rest of its line is still there.
  TextReader rest = TextReader::FromBytes("15 coins\r\nnext");
  EXPECT_EQ(rest.ReadInteger(), 15);
  EXPECT_EQ(rest.ReadLine(), " coins");
  EXPECT_EQ(rest.ReadLine(), "next");
}

TEST(TextReader, AnythingButAnIntegerIsInvalidNumericInput) {
  for (const char* bad : {"12x", "+", "-", "$", "-$", "1.5", "0x10", "2147483648", "-2147483649",
                          "$80000000", "$FFFFFFFF", "$1G", "--1", "\xE4"})
    EXPECT_EQ(NumericErrorCode(bad), world::IoInvalidNumeric) << bad;
  EXPECT_EQ(NumericErrorCode("-$80000000"), 0);
  EXPECT_EQ(NumericErrorCode("$7fffffff"), 0);
}

TEST(TextReader, LenientConversionNeverFails) {
  using world::LenientInteger;
  EXPECT_EQ(LenientInteger("12"), 12);
  EXPECT_EQ(LenientInteger("   12"), 12);
  EXPECT_EQ(LenientInteger("12 "), 12);
  EXPECT_EQ(LenientInteger("5x"), 5);
  EXPECT_EQ(LenientInteger("$1F"), 31);
  EXPECT_EQ(LenientInteger("-5"), -5);
  EXPECT_EQ(uint8_t(LenientInteger("-5")), 251);
  EXPECT_EQ(uint8_t(LenientInteger("300")), 44);
  EXPECT_EQ(LenientInteger("-5x"), 5);  // outside an exact number the sign is dropped
  EXPECT_EQ(LenientInteger("3 4"), 3);
  EXPECT_EQ(LenientInteger(""), 0);
  EXPECT_EQ(LenientInteger("   "), 0);
  EXPECT_EQ(LenientInteger("x5"), 0);
  EXPECT_EQ(LenientInteger("+"), 0);
  EXPECT_EQ(LenientInteger("$1G"), 0);
  // Long digit runs wrap instead of overflowing: 99999999999 mod 2^32.
  EXPECT_EQ(LenientInteger("99999999999x"), 1215752191);
}

TEST(CellList, IsTakenApartLiterallyFromTheLeft) {
  auto cells = [](std::string_view list) {
    std::string out;
    for (const world::CellText& cell : world::SplitCellList(list))
      out += "(" + std::string(cell.x) + "|" + std::string(cell.y) + ")";
    return out;
  };
  EXPECT_EQ(cells("12 5,13 5"), "(12|5)(13|5)");
  EXPECT_EQ(cells("12 5,13 5,"), "(12|5)(13|5)");
  EXPECT_EQ(cells("12 5 ,13 5"), "(12|5 )(13|5)");
  EXPECT_EQ(cells("1 2, 3 4,"), "(1|2)(|3 4)");
  EXPECT_EQ(cells("17,"), "(|17)");
  EXPECT_EQ(cells(""), "");
  EXPECT_EQ(world::CellListOf("M 12 7,"), "12 7,");
  EXPECT_EQ(world::CellListOf("M"), "");
}
