#pragma once
// Reading the game's Windows-1251 text files the way all three of them are read:
// a line ends at CR (an LF right after the CR belongs to the line end, an LF elsewhere is an
// ordinary character), a Ctrl+Z byte ends the file, and integers are blank-separated tokens.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace world {

class TextReader {
 public:
  // Opens and reads the whole file; throws FileError::FromErrno when it cannot.
  explicit TextReader(const std::filesystem::path& fileName);
  // Reads from bytes already in memory (tests, fuzzing).
  static TextReader FromBytes(std::string bytes);

  // True at the end of the data or at a Ctrl+Z byte.
  bool AtEnd() const;
  // True when nothing but bytes of code 32 or less stands before the end.
  bool OnlyBlanksRemain() const;
  // The rest of the current line, without its line end; moves to the next line.
  std::string ReadLine();
  // Moves past the end of the current line.
  void SkipLine();
  // Skips bytes of code 32 or less (across lines), then reads one integer token;
  // 0 at the end of the file; throws FileError::Io(IoInvalidNumeric) for anything else.
  int32_t ReadInteger();
  // 1-based number of the line the reader stands on (for messages).
  int LineNumber() const;

 private:
  TextReader() = default;
  void SetData(std::string bytes);
  // Moves past the end of the current line; returns where the line's text stops.
  size_t PassLine();

  std::string data_;
  size_t pos_ = 0;
  size_t end_ = 0;  // first Ctrl+Z, or the size
  int line_ = 1;
};

// The bytes of a whole file; throws FileError when it cannot be read or is no regular file.
std::string ReadWholeFile(const std::filesystem::path& fileName);
// The same, or nothing when the file has more than `limit` bytes.
std::optional<std::string> ReadWholeFileUpTo(const std::filesystem::path& fileName, uint64_t limit);

// Parses a whole token as an integer: optional sign, decimal digits or "$" and hex digits,
// within the 32-bit signed range. Returns false for anything else.
bool ParseInteger(std::string_view token, int32_t& value);

// The lenient conversion of coordinates: leading blanks skipped; an exact integer gives its
// value, any other text the value of the digits at its start (after an optional sign), no
// digits give 0. Never fails.
int32_t LenientInteger(std::string_view text);

}  // namespace world
