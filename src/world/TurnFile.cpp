#include "world/TurnFile.h"

#include <string>
#include <string_view>

#include "world/CellList.h"
#include "world/Cp1251.h"
#include "world/FileError.h"
#include "world/FileReplacement.h"
#include "world/TextReader.h"

namespace world {

const std::string& TurnLegendLine() {
  // "г-гном,в-варвар,…,M-мифрил": every kind's letter and word, in kind order.
  static const std::string line = [] {
    std::string text;
    for (int k = 1; k <= KindCount; ++k) {
      if (k > 1) text += ',';
      text += char(InfoOfKind(k).letter);
      text += '-';
      text += Utf8ToCp1251(InfoOfKind(k).legendWord);
    }
    return text;
  }();
  return line;
}

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

}  // namespace

std::string TurnFileText(const TMap& World, uint8_t PlayerCount) {
  std::string text;
  auto writeLine = [&text](std::string_view line) {
    text += line;
    text += "\r\n";
  };
  writeLine(TurnLegendLine());
  writeLine(std::to_string(World.Year));
  for (int p = 1; p <= PlayerCount && p <= MaxPlayers; ++p) {
    const TPlayer& player = World.players[p];
    writeLine("Player");
    writeLine(std::string_view(player.name).substr(0, MaxNameLength));
    writeLine(std::to_string(player.num1) + " " + std::to_string(player.num2));
    for (int k = KindCount; k >= 1; --k) {
      std::string line;
      ForEachUnitOf(player, [&](int, const TUnit& unit) {
        if (unit.kind != k) return;
        if (line.empty()) {
          line += char(InfoOfKind(k).letter);
          line += ' ';
        }
        line += std::to_string(unit.x) + " " + std::to_string(unit.y) + ",";
      });
      if (!line.empty()) writeLine(line);
    }
  }
  writeLine("END");
  return text;
}

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
