#include "world/TurnFile.h"

#include <string>
#include <string_view>

#include "world/CellList.h"
#include "world/FileError.h"
#include "world/FileReplacement.h"
#include "world/TextReader.h"

namespace world {

const char* const TurnLegendLine =
    "\xE3-\xE3\xED\xEE\xEC,\xE2-\xE2\xE0\xF0\xE2\xE0\xF0,\xFD-\xFD\xEB\xFC\xF4,\xEE-\xEE\xF0\xEA,"
    "\xF0-\xF0\xFB\xF6\xE0\xF0\xFC,\xEC-\xEC\xE0\xE3,\xE7-\xE7\xEE\xEC\xE1\xE8,"
    "\xE4-\xE4\xF0\xE0\xEA\xEE\xED,\xEB-\xEB\xE8\xF7\xED\xEE\xE5 \xE2\xEE\xE9\xF1\xEA\xEE,"
    "\xF4-\xEA\xEE\xF0\xE0\xE1\xFC(\xF4\xEB\xEE\xF2),\xCA-\xEA\xF0\xE5\xEF\xEE\xF1\xF2\xFC,"
    "\xC3-\xE3\xEE\xF0\xEE\xE4,\xC7-\xE7\xE0\xEC\xEE\xEA,\xCF-\xEF\xEE\xEC\xE5\xF1\xF2\xFC\xE5,"
    "\xC1-\xE1\xE0\xF8\xED\xFF,C-\xEC\xE5\xE4\xFC,S-\xF1\xE5\xF0\xE5\xE1\xF0\xEE,"
    "G-\xE7\xEE\xEB\xEE\xF2\xEE,M-\xEC\xE8\xF4\xF0\xE8\xEB";

namespace {

struct TurnRead {
  int32_t Year = 0;
  std::array<TPlayer, MaxPlayers + 1> players{};
  uint8_t playerCount = 0;
};

bool EndsPlayerBlock(std::string_view line) { return line == "Player" || line == "END"; }

// Reads the unit lines of player `p` up to its "Player" or "END" (or the end of the file).
// `kind` is the kind of the last unit line; it carries over between lines and players.
void ReadUnitLines(TextReader& file, int p, TPlayer& player, uint8_t& kind) {
  while (!file.AtEnd()) {
    const int lineNumber = file.LineNumber();
    const std::string line = file.ReadLine();
    if (EndsPlayerBlock(line)) return;
    if (line.empty()) continue;
    if (const int letterKind = KindOfLetter(uint8_t(line[0]))) kind = uint8_t(letterKind);
    CellText cell;
    for (CellListReader cells(CellListOf(line)); cells.Next(cell);) {
      if (player.count == MaxUnits)
        throw FileError("Too many units for player " + std::to_string(p) + " (line " +
                        std::to_string(lineNumber) + ")");
      TUnit& unit = player.units[++player.count];
      unit.x = uint8_t(LenientInteger(cell.x));
      unit.y = uint8_t(LenientInteger(cell.y));
      unit.kind = kind;
    }
  }
}

TurnRead ParseTurnFile(const std::filesystem::path& fileName,
                       const std::array<TPlayer, MaxPlayers + 1>& previousPlayers) {
  TextReader file(fileName);
  TurnRead turn;
  // Players past the file's last block keep what they held.
  turn.players = previousPlayers;
  file.SkipLine();
  turn.Year = file.ReadInteger();
  file.SkipLine();
  file.SkipLine();

  uint8_t kind = 0;  // a first unit line without a kind letter gives its units kind 0
  int p = 0;
  // Blank lines after the last block do not start another one.
  while (!file.OnlyBlanksRemain()) {
    if (++p > MaxPlayers)
      throw FileError("Too many players (line " + std::to_string(file.LineNumber()) + ")");
    TPlayer& player = turn.players[p];
    player.name = file.ReadLine().substr(0, MaxNameLength);
    player.num1 = uint8_t(file.ReadInteger());
    player.num2 = uint8_t(file.ReadInteger());
    file.SkipLine();
    player.count = 0;
    ReadUnitLines(file, p, player, kind);
  }
  turn.playerCount = uint8_t(p);
  return turn;
}

std::string TurnFileText(const TMap& World, uint8_t PlayerCount) {
  std::string text;
  auto writeLine = [&text](std::string_view line) {
    text += line;
    text += "\r\n";
  };
  writeLine(TurnLegendLine);
  writeLine(std::to_string(World.Year));
  for (int p = 1; p <= PlayerCount && p <= MaxPlayers; ++p) {
    const TPlayer& player = World.players[p];
    writeLine("Player");
    writeLine(std::string_view(player.name).substr(0, MaxNameLength));
    writeLine(std::to_string(player.num1) + " " + std::to_string(player.num2));
    for (int k = KindCount; k >= 1; --k) {
      std::string line;
      for (int u = 1; u <= player.count && u <= MaxUnits; ++u) {
        const TUnit& unit = player.units[u];
        if (unit.kind != k) continue;
        if (line.empty()) {
          line += char(UnitLetters[k]);
          line += ' ';
        }
        line += std::to_string(unit.x) + " " + std::to_string(unit.y) + ",";
      }
      if (!line.empty()) writeLine(line);
    }
  }
  writeLine("END");
  return text;
}

}  // namespace

void ReadTurnFile(TMap& World, uint8_t& PlayerCount, const std::filesystem::path& fileName) {
  TurnRead turn = ParseTurnFile(fileName, World.players);
  World.Year = turn.Year;
  World.players = std::move(turn.players);
  PlayerCount = turn.playerCount;
}

void WriteTurnFile(const TMap& World, uint8_t PlayerCount, const std::filesystem::path& fileName) {
  const std::string text = TurnFileText(World, PlayerCount);
  FileReplacement file(fileName);
  file.Write(text.data(), text.size());
  file.Commit();
}

}  // namespace world
