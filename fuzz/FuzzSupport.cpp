#include "FuzzSupport.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "render/Markers.h"
#include "world/Palette.h"
#include "world/TurnFile.h"

namespace fuzz {

namespace fs = std::filesystem;

void Violated(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "\n==FUZZ_CHECK failed: %s at %s:%d\n", condition, file, line);
  std::fflush(stderr);
  __builtin_trap();
}

namespace {

// libFuzzer ends the process without running destructors, so each run removes the folders
// that earlier runs, now gone, left behind.
struct Scratch {
  fs::path folder;
  Scratch() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const std::string prefix = "tirmagor-fuzz-";
    for (const fs::directory_entry& entry : fs::directory_iterator(base, ec)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(prefix, 0) != 0) continue;
      const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
      if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) fs::remove_all(entry.path(), ec);
    }
    folder = base / (prefix + std::to_string(::getpid()));
    fs::remove_all(folder, ec);
    FUZZ_CHECK(fs::create_directory(folder, ec));
  }
};

}  // namespace

const fs::path& ScratchFolder() {
  static Scratch scratch;
  return scratch.folder;
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

void CheckWorldLimits(const world::TMap& World, uint8_t PlayerCount) {
  FUZZ_CHECK(PlayerCount <= world::MaxPlayers);
  for (int p = 1; p <= world::MaxPlayers; ++p) {
    FUZZ_CHECK(World.players[p].count <= world::MaxUnits);
    FUZZ_CHECK(World.players[p].name.size() <= size_t(world::MaxNameLength));
  }
}

void CheckTurnRoundTrip(const world::TMap& World, uint8_t PlayerCount) {
  const fs::path first = ScratchFolder() / "round-trip.tvk";
  world::WriteTurnFile(World, PlayerCount, first);
  world::TMap readBack;
  uint8_t readCount = 0;
  world::ReadTurnFile(readBack, readCount, first);

  FUZZ_CHECK(readBack.Year == World.Year);
  FUZZ_CHECK(readCount == PlayerCount);
  for (int p = 1; p <= PlayerCount; ++p) {
    const world::TPlayer& written = World.players[p];
    const world::TPlayer& read = readBack.players[p];
    FUZZ_CHECK(read.name == written.name);
    FUZZ_CHECK(read.num1 == written.num1);
    FUZZ_CHECK(read.num2 == written.num2);
    std::vector<world::TUnit> expected;
    for (int k = world::KindCount; k >= 1; --k)
      for (int u = 1; u <= written.count; ++u)
        if (written.units[u].kind == k) expected.push_back(written.units[u]);
    FUZZ_CHECK(read.count == expected.size());
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), read.units.begin() + 1));
  }
  for (int p = PlayerCount + 1; p <= world::MaxPlayers; ++p) FUZZ_CHECK(readBack.players[p] == world::TPlayer{});

  const fs::path second = ScratchFolder() / "round-trip-again.tvk";
  world::WriteTurnFile(readBack, readCount, second);
  FUZZ_CHECK(ReadFile(second) == ReadFile(first));
}

world::TMap BusyWorld() {
  world::TMap World;
  World.Year = 1234;
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y) World.cells[x][y] = {uint8_t(x * 7 + y), uint8_t((x + y) % 9)};
  for (int k = 1; k <= world::MaxLands; ++k) World.lands[k] = {"land " + std::to_string(k), k * 3 - 100};
  for (int p = 1; p <= world::MaxPlayers; ++p) {
    world::TPlayer& player = World.players[p];
    player.name = "player " + std::to_string(p);
    player.num1 = uint8_t(p);
    player.num2 = uint8_t(2 * p);
    player.count = uint8_t(p % 6);
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

render::Surface IconSheetPicture(int icons) {
  render::Surface sheet;
  sheet.SetSize(icons * 20, 20);
  sheet.Fill(render::White);
  for (int k = 0; k < icons; ++k) {
    sheet.PenColor = sheet.BrushColor = render::Black;
    sheet.FillArea(k * 20 + 6, 6, k * 20 + 14, 14);
  }
  return sheet;
}

render::Scene StartedScene() {
  render::Scene scene;
  scene.CellSize = 20;
  scene.ViewLeft = scene.OriginX = 2;
  scene.ViewTop = scene.OriginY = 30;
  scene.CleanMap = PatternPicture(300, 200);
  scene.ComposedMap = scene.CleanMap;
  scene.IconSheet = IconSheetPicture(15);
  scene.MineSheet = IconSheetPicture(4);
  render::BuildMaskSheet(scene);
  scene.KindStripLeft = 281;
  scene.ColorStripLeft = scene.KindStripLeft + scene.IconSheet.Width() + 4 * scene.CellSize;
  scene.MarkerBitmap.SetSize(20, 20);
  scene.MarkerBitmap.TransparentColor = scene.IconSheet.PixelAt(1, 1);
  scene.MarkerBitmap.Transparent = true;
  scene.Window.SetSize(1130, 806);
  world::DefaultPalette(scene.Palette);
  return scene;
}

}  // namespace fuzz
