#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

#include "world/TMap.h"

namespace world {

// Reads a turn file into World (Year, players 1..n) and PlayerCount := n. The file is read
// whole first; only a successful read changes World and PlayerCount, so after any failure
// both are exactly as before. More than 27 players or 127 units for a player is an error.
void ReadTurnFile(TMap& World, uint8_t& PlayerCount, const std::filesystem::path& fileName);

// Writes Year and players 1..PlayerCount. The target is replaced only once the new file is
// complete; on any failure the old file is untouched and no stray file stays behind.
void WriteTurnFile(const TMap& World, uint8_t PlayerCount, const std::filesystem::path& fileName);

// The bytes WriteTurnFile writes.
std::string TurnFileText(const TMap& World, uint8_t PlayerCount);

// The bytes WriteTurnFile writes.
std::string TurnFileText(const TMap& World, uint8_t PlayerCount);

// The first line of every turn file, as Windows-1251 bytes.
const std::string& TurnLegendLine();

}  // namespace world
