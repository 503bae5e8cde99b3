#pragma once
// What the fuzz targets share: a check that stops the run with a report, scratch files, the
// limits every world must keep, and the round trip of a turn through its file.

#include <cstdint>
#include <filesystem>
#include <string>

#include "render/Scene.h"
#include "world/TMap.h"

namespace fuzz {

[[noreturn]] void Violated(const char* condition, const char* file, int line);

// Unlike assert, active in every build: a violated property is a finding.
#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : ::fuzz::Violated(#condition, __FILE__, __LINE__))

// A folder of the process's own for the files a target writes, in memory where the system
// offers it (/dev/shm), so that saving with fsync costs nothing.
const std::filesystem::path& ScratchFolder();
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// Player counts 0..27, unit counts 0..127, names of at most 16 bytes.
void CheckWorldLimits(const world::TMap& World, uint8_t PlayerCount);

// Writes the turn, reads it back and checks that it holds the same year and players, each
// player's units sorted by kind from 19 down (units of other kinds dropped), and that
// writing what was read gives the same bytes.
void CheckTurnRoundTrip(const world::TMap& World, uint8_t PlayerCount);

// A world that is not empty anywhere: every player named and holding units, every land named.
world::TMap BusyWorld();

// Pictures for a scene as after start-up: a patterned map, white icon sheets with a dot in
// each icon.
render::Surface PatternPicture(int width, int height);
render::Surface IconSheetPicture(int icons);
// A scene laid out as start-up lays it out, on those pictures.
render::Scene StartedScene();

}  // namespace fuzz
