#include "world/TurnFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "world/CellList.h"
#include "world/FileError.h"
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

// A new file is created with the permissions an ordinary create would give it.
mode_t DefaultFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writes `text` to a new file beside `target` and renames it over the target, so that the
// target is either the old file or the complete new one.
void ReplaceFile(const std::filesystem::path& target, const std::string& text) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  struct stat folderInfo;
  if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
    throw FileError::Io(IoInvalidFilename);
  // A folder without any write bit is refused as a read-only file is, also for root.
  if ((folderInfo.st_mode & 0222) == 0) throw FileError::Io(IoAccessDenied);

  mode_t mode = DefaultFileMode();
  struct stat old;
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  if (replacing) {
    if (S_ISDIR(old.st_mode)) throw FileError::Io(IoAccessDenied);
    // Refused even for root, who may write anything: a read-only file is meant to stay.
    if ((old.st_mode & 0222) == 0) throw FileError::Io(IoAccessDenied);
    mode = old.st_mode & 0777;
  }

  std::string tempName = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(tempName.data());
  if (fd < 0) throw FileError::FromErrno(errno, target);

  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(tempName.c_str());
    throw FileError::FromErrno(err, target);
  };
  for (size_t written = 0; written < text.size();) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    written += size_t(n);
  }
  if (::fchmod(fd, mode) != 0) fail(errno);
  // Keeping the owner only works for root; for anyone else the file was theirs to replace.
  if (replacing && ::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) fail(errno);
  if (::fsync(fd) != 0) fail(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(tempName.c_str());
    throw FileError::FromErrno(err, target);
  }
  if (::rename(tempName.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(tempName.c_str());
    throw FileError::FromErrno(err, target);
  }
}

}  // namespace

void ReadTurnFile(TMap& World, uint8_t& PlayerCount, const std::filesystem::path& fileName,
                  TurnReadObserver* observer) {
  TurnRead turn = ParseTurnFile(fileName, World.players);
  World.Year = turn.Year;
  World.players = std::move(turn.players);
  PlayerCount = turn.playerCount;
  if (!observer) return;
  observer->TurnCommitted();
  for (int p = 1; p <= PlayerCount; ++p)
    for (int u = 1; u <= World.players[p].count; ++u) observer->UnitRead(uint8_t(p), uint8_t(u));
}

void WriteTurnFile(const TMap& World, uint8_t PlayerCount, const std::filesystem::path& fileName) {
  if (fileName.empty() || !fileName.has_filename()) throw FileError::Io(IoInvalidFilename);
  std::error_code ec;
  // Saving through a symbolic link replaces the file it points to, not the link.
  const std::filesystem::path target =
      std::filesystem::is_symlink(fileName, ec) ? std::filesystem::weakly_canonical(fileName, ec)
                                                : fileName;
  ReplaceFile(target.empty() ? fileName : target, TurnFileText(World, PlayerCount));
}

}  // namespace world
