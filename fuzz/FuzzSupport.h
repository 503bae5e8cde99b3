#pragma once
// What the fuzz targets share: a check that stops the run with a report, scratch files, the
// limits every world must keep, and the round trip of a turn through its file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "editor/Editor.h"
#include "render/Surface.h"
#include "world/FileError.h"
#include "world/TMap.h"

namespace fuzz {

// Unlike assert, active in every build: a violated property is a finding.
[[noreturn]] inline void Violated(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "\n==FUZZ_CHECK failed: %s at %s:%d\n", condition, file, line);
  __builtin_trap();
}
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : ::fuzz::Violated(#condition, __FILE__, __LINE__))

// A folder of the process's own, in memory where the system offers it, so that fsync is cheap.
const std::filesystem::path& ScratchFolder();
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// The bytes of a file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
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

// The turn written and read back holds the same year and players, each player's units sorted
// by kind from 19 down (other kinds dropped), and writes back to the same bytes.
void CheckTurnRoundTrip(const world::TMap& World, uint8_t PlayerCount);

// Every player named and holding units, every land named, every cell with a land and mine 9,
// a kind that no file sets.
world::TMap BusyWorld();

// A picture whose neighbouring pixels differ.
render::Surface PatternPicture(int width, int height);

// Starts the editor as the window does, on two lands with a few mines and patterned pictures
// made in the scratch folder; the window has its usual size.
void StartEditor(editor::Editor& editor);

}  // namespace fuzz
