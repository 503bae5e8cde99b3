#pragma once
// What the fuzz targets share: a check that stops the run with a report, scratch files, the
// limits every world must keep, and the round trip of a turn through its file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "app/Editor.h"
#include "render/Surface.h"
#include "world/FileError.h"
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
// The fuzzer's input as the scratch file `name`.
std::filesystem::path WriteInput(const char* name, const uint8_t* data, size_t size);

// The code of the file error that `read` ends with, or nothing when it succeeds.
template <typename Read>
std::optional<int> ErrorCode(Read read) {
  try {
    read();
    return std::nullopt;
  } catch (const world::FileError& e) {
    return e.code();
  }
}

// Player counts 0..27, unit counts 0..127, names of at most 16 bytes.
void CheckWorldLimits(const world::TMap& World, uint8_t PlayerCount);

// Writes the turn, reads it back and checks that it holds the same year and players, each
// player's units sorted by kind from 19 down (units of other kinds dropped), and that
// writing what was read gives the same bytes.
void CheckTurnRoundTrip(const world::TMap& World, uint8_t PlayerCount);

// A world that is not empty anywhere: every player named and holding units, every land named.
world::TMap BusyWorld();

// A picture whose neighbouring pixels differ.
render::Surface PatternPicture(int width, int height);

// Starts the editor as the window does, on start-up files made here in the scratch folder: two
// lands with a few cell mines, a patterned map of 400 by 300 and icon sheets with a square in
// each icon; the window has its usual size.
void StartEditor(app::Editor& editor);

}  // namespace fuzz
