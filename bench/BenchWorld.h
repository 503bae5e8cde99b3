#pragma once
// A full-size world for the benchmarks, written into a fresh temporary folder: the largest map
// picture, the icon sheets, a land file naming every land, and an epoch of years in which all
// 27 players hold 127 units each.

#include <filesystem>
#include <string>

namespace bench {

constexpr int MapPictureWidth = 2260;
constexpr int MapPictureHeight = 1560;
constexpr int Years = 100;
// The client area of the main window at its described outer size.
constexpr int ClientWidth = 1130;
constexpr int ClientHeight = 806;
// The client area of the main window maximised on a 2560 x 1440 screen, and the overview's.
constexpr int LargeClientWidth = 2544;
constexpr int LargeClientHeight = 1389;
constexpr int OverviewWidth = 480;
constexpr int OverviewHeight = 331;

// The start-up files into `startupDir` and the turns Год1.tvk .. Год100.tvk into `epochDir`.
void WriteBenchWorld(const std::filesystem::path& startupDir, const std::filesystem::path& epochDir);

class BenchWorld {
 public:
  // Creates the folder and every file; removed again by the destructor.
  BenchWorld();
  ~BenchWorld();
  BenchWorld(const BenchWorld&) = delete;
  BenchWorld& operator=(const BenchWorld&) = delete;

  // orv.dat, map.bmp, osnova.bmp and rudnici.bmp.
  const std::filesystem::path& StartupDir() const { return startupDir_; }
  // The epoch folder with its trailing separator, as the editor keeps EpochDir.
  std::string EpochDir() const;
  std::filesystem::path TurnFile(int year) const;
  // The same year as a map of Tiled's, written on first use: the map picture cut into a 110 x 76
  // tile layer and a tile object of the unit's icon for every unit.
  std::filesystem::path TiledMap(int year) const;
  // A folder for what the benchmarks write.
  const std::filesystem::path& OutputDir() const { return outputDir_; }

 private:
  std::filesystem::path root_;
  std::filesystem::path startupDir_;
  std::filesystem::path epochDir_;
  std::filesystem::path outputDir_;
};

}  // namespace bench
