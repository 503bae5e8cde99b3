#include "FuzzSupport.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <vector>

#include "world/TextReader.h"
#include "world/TurnFile.h"

namespace fuzz {

namespace fs = std::filesystem;

// libFuzzer ends the process without running destructors, so each run removes the folders
// that earlier runs, now gone, left behind.
const fs::path& ScratchFolder() {
  static const fs::path folder = [] {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const std::string prefix = "tirmagor-fuzz-";
    for (const fs::directory_entry& entry : fs::directory_iterator(base, ec)) {
      const std::string name = entry.path().filename().string();
      const long pid = name.rfind(prefix, 0) == 0 ? std::strtol(name.c_str() + prefix.size(), nullptr, 10) : 0;
      if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) fs::remove_all(entry.path(), ec);
    }
    const fs::path folder = base / (prefix + std::to_string(::getpid()));
    fs::remove_all(folder, ec);
    FUZZ_CHECK(fs::create_directory(folder, ec));
    return folder;
  }();
  return folder;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  FUZZ_CHECK(out.good());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path WriteInput(const char* name, const uint8_t* data, size_t size) {
  WriteFile(ScratchFolder() / name, std::string(reinterpret_cast<const char*>(data), size));
  return ScratchFolder() / name;
}

void CheckWorldLimits(const world::TMap& World, uint8_t PlayerCount) {
  FUZZ_CHECK(PlayerCount <= world::MaxPlayers);
  for (const world::TPlayer& player : World.players)
    FUZZ_CHECK(player.count <= world::MaxUnits && player.name.size() <= size_t(world::MaxNameLength));
}

void CheckTurnRoundTrip(const world::TMap& World, uint8_t PlayerCount) {
  const fs::path first = ScratchFolder() / "round-trip.tvk", second = ScratchFolder() / "again.tvk";
  world::WriteTurnFile(World, PlayerCount, first);
  world::TMap read;
  uint8_t readCount = 0;
  world::ReadTurnFile(read, readCount, first);
  FUZZ_CHECK(read.Year == World.Year && readCount == PlayerCount);
  for (int p = 1; p <= world::MaxPlayers; ++p) {
    const world::TPlayer& written = p <= PlayerCount ? World.players[p] : world::TPlayer{};
    FUZZ_CHECK(read.players[p].name == written.name);
    FUZZ_CHECK(read.players[p].num1 == written.num1 && read.players[p].num2 == written.num2);
    std::vector<world::TUnit> expected;
    for (int k = world::KindCount; k >= 1; --k)
      for (int u = 1; u <= written.count; ++u)
        if (written.units[u].kind == k) expected.push_back(written.units[u]);
    FUZZ_CHECK(read.players[p].count == expected.size());
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), read.players[p].units.begin() + 1));
  }
  world::WriteTurnFile(read, readCount, second);
  FUZZ_CHECK(world::ReadWholeFile(second) == world::ReadWholeFile(first));
}

world::TMap BusyWorld() {
  world::TMap World;
  World.Year = 1234;
  for (int x = 0; x <= world::MapWidth; ++x)
    for (int y = 0; y <= world::MapHeight; ++y) World.cells[x][y] = {uint8_t(x * 7 + y), 9};
  for (int k = 1; k <= world::MaxLands; ++k) World.lands[k] = {"land " + std::to_string(k), k * 3 - 100};
  for (int p = 1; p <= world::MaxPlayers; ++p) {
    world::TPlayer& player = World.players[p];
    player = {.name = "player " + std::to_string(p), .num1 = uint8_t(p), .count = uint8_t(p % 6),
              .num2 = uint8_t(2 * p)};
    for (int u = 1; u <= world::MaxUnits; ++u)
      player.units[u] = {uint8_t(p + u), uint8_t(u % 20 + 1), uint8_t((p + u) % world::KindCount + 1)};
  }
  return World;
}

render::Surface PatternPicture(int width, int height) {
  render::Surface picture;
  picture.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.SetPixel(x, y, world::Rgb(uint8_t(120 + x % 100), uint8_t(60 + y % 150), uint8_t(x * 3 + y)));
  return picture;
}

void StartEditor(editor::Editor& editor) {
  const fs::path& dir = ScratchFolder();
  WriteFile(dir / "orv.dat",
            "Tirmagor\r\n\r\n2\r\n\r\nAAAAAAAAAABBBB\r\nBBBBBAAAAA\r\n"
            "1 3 1,\r\n2 2 1,4 2,\r\n3 \r\n4 1 2,\r\nlands\r\n"
            "A\r\n\xD1\xE5\xE2\xE5\xF0\xE8\xFF\r\n15\r\nB\r\n\xDE\xE6\xED\xE0\xFF\r\n-3\r\n");
  PatternPicture(400, 300).SaveBmp(dir / "map.bmp");
  PatternPicture(15 * 20, 20).SaveBmp(dir / "osnova.bmp");
  PatternPicture(4 * 20, 20).SaveBmp(dir / "rudnici.bmp");
  editor.StartupDir = dir;
  editor.FormCreate();
  editor.ResizeWindowSurface(1130, 806);
}

}  // namespace fuzz
