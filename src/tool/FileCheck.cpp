#include "tool/FileCheck.h"

#include <algorithm>
#include <string_view>

#include "world/CellList.h"
#include "world/FileName.h"
#include "world/TMap.h"
#include "world/TextReader.h"

namespace tool {
namespace {

using Problems = std::vector<Problem>;

bool IsBlank(char c) { return uint8_t(c) <= 32; }

bool IsBlankLine(std::string_view line) { return std::all_of(line.begin(), line.end(), IsBlank); }

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The value of a run of digits, capped well above any map coordinate.
int DigitsValue(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = std::min(value * 10 + (c - '0'), 100000);
  return value;
}

// The file's lines as the readers see them: ended by CR, cut at a Ctrl+Z.
std::vector<std::string> LinesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  world::TextReader reader = world::TextReader::FromBytes(bytes);
  while (!reader.AtEnd()) lines.push_back(reader.ReadLine());
  return lines;
}

// The tokens the integer reading would take from a line: runs of bytes above 32.
std::vector<std::string_view> TokensOf(std::string_view line) {
  std::vector<std::string_view> tokens;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    const size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    if (pos > start) tokens.push_back(line.substr(start, pos - start));
  }
  return tokens;
}

// Checks the first `wanted` numbers of a line; returns them when all are integers.
std::optional<std::vector<int32_t>> CheckNumbers(std::string_view line, size_t wanted,
                                                 const char* tooFew, int lineNumber,
                                                 Problems& problems) {
  const std::vector<std::string_view> tokens = TokensOf(line);
  std::vector<int32_t> values;
  for (size_t i = 0; i < std::min(wanted, tokens.size()); ++i) {
    int32_t value;
    if (!world::ParseInteger(tokens[i], value)) {
      problems.push_back({lineNumber, "invalid number \"" + std::string(tokens[i]) + "\""});
      return std::nullopt;
    }
    values.push_back(value);
  }
  if (tokens.size() < wanted) {
    problems.push_back({lineNumber, tooFew});
    return std::nullopt;
  }
  return values;
}

void CheckLineEnds(const std::string& bytes, Problems& problems) {
  int line = 1;
  for (size_t i = 0; i < bytes.size() && bytes[i] != 26; ++i) {
    if (bytes[i] == '\r') ++line;
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
      problems.push_back({line, "LF without CR: lines must end with CR LF, so the line goes on"});
      return;
    }
  }
}

// The cells after the label of a mine or unit line: "x y" pairs, each followed by a comma.
void CheckCellList(std::string_view list, int lineNumber, Problems& problems) {
  auto report = [&](std::string message) { problems.push_back({lineNumber, std::move(message)}); };
  size_t pos = 0;
  while (pos < list.size()) {
    const size_t start = pos;
    const size_t comma = list.find(',', pos);
    const bool last = comma == std::string_view::npos;
    const std::string_view pair = list.substr(pos, last ? std::string_view::npos : comma - pos);
    pos = last ? list.size() : comma + 1;

    if (pair.empty()) {
      report("empty pair between commas");
      continue;
    }
    if (pair[0] == ' ') {
      report(start == 0 ? "more than one blank after the label" : "blank after a comma");
      continue;
    }
    const size_t blank = pair.find(' ');
    if (blank == std::string_view::npos) {
      report("pair without its blank \"" + std::string(pair) + "\"");
      continue;
    }
    const std::string_view x = pair.substr(0, blank);
    const std::string_view y = pair.substr(blank + 1);
    if (!y.empty() && y[0] == ' ') {
      report("more than one blank in a pair");
    } else if (!y.empty() && y.back() == ' ') {
      report(last ? "blank at the end of the line" : "blank before a comma");
    } else if (!IsDigits(x) || !IsDigits(y)) {
      report("field with non-digits in \"" + std::string(pair) + "\"");
    } else if (!world::IsOnMap(DigitsValue(x), DigitsValue(y))) {
      report("coordinates outside the map (" + std::string(x) + ", " + std::string(y) + ")");
    }
  }
}

void CheckUnitLine(std::string_view line, int lineNumber, Problems& problems) {
  if (world::KindOfLetter(uint8_t(line[0])) == 0)
    problems.push_back({lineNumber, "unit line does not begin with a kind letter"});
  if (line.size() < 3) {
    problems.push_back({lineNumber, "unit line without units"});
    return;
  }
  if (line[1] != ' ') problems.push_back({lineNumber, "no blank after the kind letter"});
  CheckCellList(line.substr(2), lineNumber, problems);
}

bool OnlyBlankLinesFrom(const std::vector<std::string>& lines, size_t index) {
  for (size_t i = index; i < lines.size(); ++i)
    if (!IsBlankLine(lines[i])) return false;
  return true;
}

void CheckTurn(const std::vector<std::string>& lines, Problems& problems) {
  const int lineCount = int(lines.size());
  auto line = [&](int number) -> const std::string& { return lines[size_t(number - 1)]; };
  auto isTerminator = [](std::string_view text) { return text == "Player" || text == "END"; };

  if (lineCount < 3) {
    problems.push_back({std::max(lineCount, 1), "file ends before its third line"});
    return;
  }
  CheckNumbers(line(2), 1, "missing year", 2, problems);
  if (!isTerminator(line(3))) problems.push_back({3, "expected \"Player\" or \"END\""});

  std::string terminator = line(3);
  int terminatorLine = 3;
  int players = 0;
  int n = 4;
  while (!OnlyBlankLinesFrom(lines, size_t(n - 1))) {
    ++players;
    if (terminator == "END") problems.push_back({n, "player block after END"});
    if (players == world::MaxPlayers + 1) problems.push_back({n, "more than 27 players"});
    if (line(n).size() > size_t(world::MaxNameLength))
      problems.push_back({n, "name longer than 16 characters"});
    if (++n > lineCount) {
      problems.push_back({lineCount, "file ends inside a player block"});
      return;
    }
    if (auto numbers = CheckNumbers(line(n), 2, "line with fewer than two numbers", n, problems))
      for (int32_t value : *numbers)
        if (value < 0 || value > 255) {
          problems.push_back({n, "header number outside 0..255"});
          break;
        }

    int units = 0;
    terminator.clear();
    for (++n; n <= lineCount; ++n) {
      if (isTerminator(line(n))) {
        terminator = line(n);
        terminatorLine = n++;
        break;
      }
      if (line(n).empty()) {
        problems.push_back({n, "empty line in a player block"});
        continue;
      }
      CheckUnitLine(line(n), n, problems);
      const int before = units;
      units += int(std::min<size_t>(world::CountCells(world::CellListOf(line(n))), world::MaxUnits + 1));
      if (before <= world::MaxUnits && units > world::MaxUnits)
        problems.push_back({n, "more than 127 units for player " + std::to_string(players)});
    }
    if (terminator.empty()) {
      problems.push_back({lineCount, "file ends inside a player block"});
      return;
    }
  }
  if (terminator == "Player")
    problems.push_back({terminatorLine, "\"Player\" ends the last block: the file ends without END"});
}

void CheckLand(const std::vector<std::string>& lines, Problems& problems) {
  const int lineCount = int(lines.size());
  auto line = [&](int number) -> const std::string& { return lines[size_t(number - 1)]; };
  auto endsEarly = [&]() { problems.push_back({std::max(lineCount, 1), "file ends early"}); };

  if (lineCount < 3) return endsEarly();
  // Without a row count the layout of everything after it is unknown.
  const auto rowCount = CheckNumbers(line(3), 1, "missing row count", 3, problems);
  if (!rowCount) return;
  if ((*rowCount)[0] < 0) return problems.push_back({3, "negative row count"});
  if ((*rowCount)[0] > world::MapHeight) problems.push_back({3, "row count above 76"});
  const int rows = uint8_t((*rowCount)[0]);

  for (int y = 1; y <= rows; ++y) {
    const int n = 4 + y;
    if (n > lineCount) return endsEarly();
    if (line(n).size() > size_t(world::MapWidth))
      problems.push_back({n, "grid row longer than 110 characters"});
  }
  for (int kind = 1; kind <= world::MineKindCount; ++kind) {
    const int n = 4 + rows + kind;
    if (n > lineCount) return endsEarly();
    CheckCellList(world::CellListOf(line(n)), n, problems);
  }

  for (int n = 10 + rows; n <= lineCount;) {
    if (line(n).empty()) {
      if (OnlyBlankLinesFrom(lines, size_t(n - 1))) break;
      problems.push_back({n, "empty line where a land block should begin"});
      ++n;
      continue;
    }
    if (line(n)[0] == '\0') problems.push_back({n, "land key 0"});
    if (n + 2 > lineCount) {
      problems.push_back({lineCount, "file ends inside a land block"});
      return;
    }
    // Like the integer reading, an empty income line takes its number from the next line.
    int incomeLine = n + 2;
    if (IsBlankLine(line(incomeLine))) {
      problems.push_back({incomeLine, "empty income line"});
      while (incomeLine <= lineCount && IsBlankLine(line(incomeLine))) ++incomeLine;
      if (incomeLine > lineCount) return;
    }
    CheckNumbers(line(incomeLine), 1, "missing income", incomeLine, problems);
    n = incomeLine + 1;
  }
}

void CheckPalette(const std::vector<std::string>& lines, Problems& problems) {
  int colourLines = 0;
  int lastColourLine = 0;
  for (int n = 1; n <= int(lines.size()); ++n) {
    const std::string& line = lines[size_t(n - 1)];
    if (IsBlankLine(line)) continue;
    lastColourLine = n;
    if (++colourLines == world::MaxPlayers + 1)
      problems.push_back({n, "more than 27 colour lines: the rest set nothing"});
    if (auto numbers = CheckNumbers(line, 3, "line with fewer than three numbers", n, problems))
      for (int32_t value : *numbers)
        if (value < 0 || value > 255) {
          problems.push_back({n, "colour component outside 0..255"});
          break;
        }
  }
  if (int(lines.size()) > lastColourLine && colourLines < world::MaxPlayers)
    problems.push_back({lastColourLine + 1,
                        "text after the last line end reads as one more colour (black)"});
}

}  // namespace

std::optional<FileKind> FileKindOf(const std::filesystem::path& file) {
  if (world::HasExtension(file, ".tvk")) return FileKind::Turn;
  if (world::HasExtension(file, ".dat")) return FileKind::Land;
  if (world::HasExtension(file, ".pal")) return FileKind::Palette;
  return std::nullopt;
}

std::vector<Problem> CheckFileBytes(FileKind kind, const std::string& bytes) {
  Problems problems;
  CheckLineEnds(bytes, problems);
  const std::vector<std::string> lines = LinesOf(bytes);
  switch (kind) {
    case FileKind::Turn: CheckTurn(lines, problems); break;
    case FileKind::Land: CheckLand(lines, problems); break;
    case FileKind::Palette: CheckPalette(lines, problems); break;
  }
  std::stable_sort(problems.begin(), problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  return problems;
}

}  // namespace tool
