// Timings of the editor on the largest legal game, each set against the floor that the machine
// itself sets: a copy of the map's pixels for work in memory, a plain file write for the export.

#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QBuffer>
#include <QImage>

#include "BenchWorld.h"
#include "editor/Editor.h"
#include "editor/HeadlessUi.h"
#include "overview/Overview.h"
#include "render/Geometry.h"
#include "publish/Publish.h"
#include "world/FileError.h"
#include "export/EpochRenderer.h"
#include "world/FileReplacement.h"
#include "world/TurnFile.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

BenchWorld* TheWorld = nullptr;


// An editor after start-up and its first paint, with the epoch open.
struct StartedEditor {
  editor::HeadlessUi ui;
  editor::Editor editor{ui};

  StartedEditor() {
    editor.StartupDir = TheWorld->StartupDir();
    editor.FormCreate();
    editor.ResizeWindowSurface(ClientWidth, ClientHeight);
    editor.EpochDir = TheWorld->EpochDir();
  }

  void StepToYear(int year) {
    ui.year = year;
    editor.SpinEdit1Change();
  }

  // The window pixel at the middle of a cell.
  int WindowX(int x) const { return editor.scene.OriginX + x * 20 + 20 + 10; }
  int WindowY(int y) const { return editor.scene.OriginY + (y - 1) * 20 + 18 + 10; }

  // Year 1, and the window pixel of the first unit of the middle player whose cell shows in the
  // view with room for three more columns; nothing, and the benchmark skipped, when none does.
  std::optional<std::pair<int, int>> UnitInYearOne(benchmark::State& state) {
    StepToYear(1);
    std::optional<std::pair<int, int>> found;
    const world::TPlayer& player = editor.World.players[14];
    for (int u = player.count; u >= 1; --u) {
      const int x = WindowX(player.units[u].x), y = WindowY(player.units[u].y);
      if (x + 70 < editor.scene.ViewRight && y + 10 < editor.scene.ViewBottom) found = {x, y};
    }
    if (!found) state.SkipWithError("no unit in the view");
    return found;
  }
};

void StartupToFirstPaint(benchmark::State& state) {
  for (auto _ : state) {
    editor::HeadlessUi ui;
    auto editor = std::make_unique<editor::Editor>(ui);
    editor->StartupDir = TheWorld->StartupDir();
    editor->FormCreate();
    editor->ResizeWindowSurface(ClientWidth, ClientHeight);
    benchmark::DoNotOptimize(editor->scene.Window.PixelAt(500, 500));
  }
}

// One year after another; with `wholeMap`, the map is composed whole after each, as a save or
// the overview would have it, rather than the view first and the rest when read.
void StepThroughYears(benchmark::State& state, bool wholeMap) {
  StartedEditor started;
  int year = 0;
  for (auto _ : state) {
    year = year % Years + 1;
    started.StepToYear(year);
    if (wholeMap) started.editor.scene.ComposedMap.Finish();
  }
  if (started.editor.PlayerCount != 27 || started.editor.World.Year != year)
    state.SkipWithError("the year's turn was not loaded");
  state.SetLabel("27 players x 127 units");
}

void YearStep(benchmark::State& state) { StepThroughYears(state, false); }
void YearStepWholeMap(benchmark::State& state) { StepThroughYears(state, true); }

void FormPaint(benchmark::State& state) {
  StartedEditor started;
  started.StepToYear(1);
  for (auto _ : state) started.editor.FormPaint();
}

// A unit in the view, picked up and put back on its cell.
void PickUpAndDrop(benchmark::State& state) {
  StartedEditor started;
  const auto unit = started.UnitInYearOne(state);
  if (!unit) return;
  const auto [X, Y] = *unit;
  for (auto _ : state) {
    started.editor.MouseDOwn(editor::MouseButton::Left, X, Y);
    started.editor.Image1MouseUp(editor::MouseButton::Left, X, Y);
  }
  if (started.editor.edit.Holding) state.SkipWithError("the unit stayed in hand");
}

// A move of a unit three columns to the right, then undone and redone in turn; `undo` times the
// undo, otherwise the redo.
void UndoOrRedoMove(benchmark::State& state, bool undo) {
  StartedEditor started;
  const auto unit = started.UnitInYearOne(state);
  if (!unit) return;
  editor::Editor& editor = started.editor;
  editor.MouseDOwn(editor::MouseButton::Left, unit->first, unit->second);
  editor.Image1MouseUp(editor::MouseButton::Left, unit->first + 60, unit->second);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    undo ? editor.Undo() : editor.Redo();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    undo ? editor.Redo() : editor.Undo();
  }
  if (editor.History.UndoCount() + editor.History.RedoCount() != 1) state.SkipWithError("the move was not kept");
  state.SetLabel("27 players x 127 units");
}

void UndoMove(benchmark::State& state) { UndoOrRedoMove(state, true); }
void RedoMove(benchmark::State& state) { UndoOrRedoMove(state, false); }

// A full repaint of the main window maximised on a 2560 x 1440 screen, the whole width of the map
// in view.
void RepaintLargeWindow(benchmark::State& state) {
  StartedEditor started;
  started.editor.ResizeWindow(LargeClientWidth, LargeClientHeight, 2560, 1440);
  started.StepToYear(1);
  for (auto _ : state) started.editor.RepaintWindow();
  state.SetLabel("2544 x 1389 client area");
}

// The overview's picture made anew after each year step; only the overview is timed.
void OverviewAfterYearStep(benchmark::State& state) {
  StartedEditor started;
  overview::Overview shown;
  int year = 0;
  for (auto _ : state) {
    year = year % Years + 1;
    started.StepToYear(year);
    // The part of the map the step left for later is the step's work (YearStepWholeMap).
    started.editor.scene.ComposedMap.Finish();
    const auto start = std::chrono::steady_clock::now();
    const bool remade = shown.Refresh(started.editor.scene, OverviewWidth, OverviewHeight);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!remade || !shown.MadeFromDrawnCells()) {
      state.SkipWithError("the overview was not made anew from the drawn cells");
      return;
    }
  }
  state.SetLabel("480 x 331 of 27 players x 127 units");
}

void MouseMove(benchmark::State& state) {
  StartedEditor started;
  int step = 0;
  for (auto _ : state) {
    step = (step + 37) % (ClientWidth * 7);
    started.editor.FormMouseMove(step % ClientWidth, 31 + step / ClientWidth * 100);
  }
  benchmark::DoNotOptimize(started.ui.panels[1]);
}

void ReadTurn(benchmark::State& state) {
  world::TMap World;
  uint8_t playerCount = 0;
  int year = 0;
  for (auto _ : state) {
    year = year % Years + 1;
    world::ReadTurnFile(World, playerCount, TheWorld->TurnFile(year));
  }
  if (playerCount != 27) state.SkipWithError("the turn was not read");
}

void WriteTurn(benchmark::State& state) {
  world::TMap World;
  uint8_t playerCount = 0;
  world::ReadTurnFile(World, playerCount, TheWorld->TurnFile(1));
  const fs::path target = TheWorld->OutputDir() / "written.tvk";
  for (auto _ : state) world::WriteTurnFile(World, playerCount, target);
}

fs::path ExportedPicture(int year, const char* extension) {
  return TheWorld->OutputDir() / ("year" + std::to_string(year) + extension);
}

// tirmagor-tool render of the whole epoch: every core renders years, one sync at the end.
void EpochExport(benchmark::State& state, const char* extension) {
  std::vector<fs::path> turns, pictures;
  for (int year = 1; year <= Years; ++year) {
    turns.push_back(TheWorld->TurnFile(year));
    pictures.push_back(ExportedPicture(year, extension));
  }
  for (auto _ : state) {
    const auto errors = exporting::RenderEpoch(TheWorld->StartupDir(), std::nullopt, turns, pictures);
    for (const auto& error : errors)
      if (error) {
        state.SkipWithError(error->c_str());
        return;
      }
  }
  state.counters["years/s"] = benchmark::Counter(double(Years), benchmark::Counter::kIsIterationInvariantRate);
}

void EpochExportBmp(benchmark::State& state) { EpochExport(state, ".bmp"); }
void EpochExportPng(benchmark::State& state) { EpochExport(state, ".png"); }

// tirmagor-tool publish of the same epoch: the same PNGs plus the page and every year's data,
// written beside the last site and swapped in.
void PublishEpoch(benchmark::State& state) {
  publish::SiteRequest request;
  request.worldDir = TheWorld->StartupDir();
  request.site = TheWorld->OutputDir() / "site";
  for (int year = 1; year <= Years; ++year) request.turns.push_back(TheWorld->TurnFile(year));
  for (auto _ : state) {
    try {
      publish::PublishSite(request);
    } catch (const world::FileError& e) {
      state.SkipWithError(e.what());
      return;
    }
  }
  state.counters["years/s"] = benchmark::Counter(double(Years), benchmark::Counter::kIsIterationInvariantRate);
}

// Tiled's tmxrasterizer drawing the same maps: a 110 x 76 tile layer cut from the map picture and
// a tile object for every unit, written as PNG. Each run is a process of its own, as a game
// master would run it for a year.
constexpr int TiledYears = 3;
void TiledRasterizer(benchmark::State& state) {
  if (std::system("command -v tmxrasterizer >/dev/null") != 0) {
    state.SkipWithError("tmxrasterizer is not installed (Debian package tiled)");
    return;
  }
  std::vector<fs::path> maps;
  try {
    for (int year = 1; year <= TiledYears; ++year) maps.push_back(TheWorld->TiledMap(year));
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  for (auto _ : state)
    for (const fs::path& map : maps) {
      const std::string command = "QT_QPA_PLATFORM=offscreen tmxrasterizer '" + map.string() + "' '" +
                                  fs::path(map).replace_extension(".png").string() + "' >/dev/null 2>&1";
      if (std::system(command.c_str()) != 0) {
        state.SkipWithError("tmxrasterizer failed");
        return;
      }
    }
}

constexpr size_t MapPixelBytes = size_t(MapPictureWidth) * MapPictureHeight * 4;
constexpr size_t BmpRowBytes = (size_t(MapPictureWidth) * 3 + 3) & ~size_t(3);
constexpr size_t BmpFileBytes = 54 + BmpRowBytes * MapPictureHeight;

void FloorMapCopy(benchmark::State& state) {
  std::vector<uint8_t> from(MapPixelBytes, 0x5A), to(MapPixelBytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), MapPixelBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MapPixelBytes));
}

// The same copy when neither picture is in the processor's cache, as in the editor, whose two map
// pictures, window and markers together outgrow a 32 MB cache: four pairs taken in turn.
void FloorMapCopyUncached(benchmark::State& state) {
  std::vector<std::vector<uint8_t>> from(4, std::vector<uint8_t>(MapPixelBytes, 0x5A)), to(4, std::vector<uint8_t>(MapPixelBytes, 0));
  size_t pair = 0;
  for (auto _ : state) {
    pair = (pair + 1) % from.size();
    std::memcpy(to[pair].data(), from[pair].data(), MapPixelBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MapPixelBytes));
}

// The export's file handling without the picture, year for year as the export does it: a new
// file beside the target, one write of the 24-bit BMP's size, close, rename over the target;
// then one sync for them all.
void FloorDiskWrite(benchmark::State& state) {
  std::vector<uint8_t> bytes(BmpFileBytes, 0x77);
  for (auto _ : state) {
    for (int year = 1; year <= Years; ++year) {
      const fs::path target = TheWorld->OutputDir() / ("floor" + std::to_string(year) + ".bmp");
      const fs::path temp = TheWorld->OutputDir() / (".floor" + std::to_string(year) + ".tmp");
      const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      bool ok = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
      ok = fd >= 0 && ::close(fd) == 0 && ok;
      ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
      if (!ok) {
        state.SkipWithError("cannot write the floor file");
        return;
      }
    }
    world::SyncFileSystem(TheWorld->OutputDir());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * Years * int64_t(BmpFileBytes));
}

// Three runs of each; the summary takes the median.
void Register() {
  using benchmark::kMicrosecond;
  using benchmark::kMillisecond;
  auto add = [](const char* name, void (*function)(benchmark::State&), benchmark::TimeUnit unit) {
    return benchmark::RegisterBenchmark(name, function)->Unit(unit)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
  };
  add("FloorMapCopy", FloorMapCopy, kMillisecond);
  add("FloorMapCopyUncached", FloorMapCopyUncached, kMillisecond);
  add("StartupToFirstPaint", StartupToFirstPaint, kMillisecond);
  add("YearStep", YearStep, kMillisecond);
  add("YearStepWholeMap", YearStepWholeMap, kMillisecond);
  add("FormPaint", FormPaint, kMillisecond);
  add("PickUpAndDrop", PickUpAndDrop, kMicrosecond);
  // Timed by hand: each undo is followed by an untimed redo, and the other way round.
  for (auto [name, function] : {std::pair{"UndoMove", &UndoMove}, std::pair{"RedoMove", &RedoMove}})
    benchmark::RegisterBenchmark(name, function)->Unit(kMicrosecond)->UseManualTime()->Repetitions(3)->ReportAggregatesOnly(true);
  add("FormMouseMove", MouseMove, kMicrosecond);
  add("RepaintLargeWindow", RepaintLargeWindow, kMillisecond);
  benchmark::RegisterBenchmark("OverviewAfterYearStep", OverviewAfterYearStep)
      ->Unit(kMillisecond)->UseManualTime()->Repetitions(3)->ReportAggregatesOnly(true);
  add("ReadTurnFile", ReadTurn, kMillisecond);
  add("WriteTurnFile", WriteTurn, kMillisecond);
  // The disk floor right before the export, so that both meet the same state of the disk cache.
  add("FloorDiskWrite100Years", FloorDiskWrite, kMillisecond)->Iterations(1);
  add("EpochExport100Years", EpochExportBmp, kMillisecond)->Iterations(1);
  add("EpochExportPng100Years", EpochExportPng, kMillisecond)->Iterations(1);
  add("Publish100Years", PublishEpoch, kMillisecond)->Iterations(1);
  add("TiledRasterizer3Years", TiledRasterizer, kMillisecond)->Iterations(1);
}

// Keeps the median real time of every benchmark, in seconds, while the console shows them all.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> medianSeconds;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medianSeconds[run.run_name.function_name] =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    ConsoleReporter::ReportRuns(runs);
  }
};

// The load average of the last minute: other work on the machine shows in every figure.
std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string oneMinute;
  in >> oneMinute;
  return oneMinute.empty() ? "unknown" : oneMinute;
}

std::string Duration(double seconds) {
  char text[32];
  if (seconds >= 1e-3)
    std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
  else
    std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
  return text;
}

// The size of the exported PNG of year 1 against the same pixels at zlib's default level.
std::optional<double> PngSizeRatio() {
  const fs::path png = ExportedPicture(1, ".png");
  std::error_code ec;
  const auto size = fs::file_size(png, ec);
  QImage image;
  if (ec || !image.load(QString::fromStdString(png.string()), "PNG")) return std::nullopt;
  QByteArray reference;
  QBuffer buffer(&reference);
  buffer.open(QIODevice::WriteOnly);
  if (!image.convertToFormat(QImage::Format_RGB888).save(&buffer, "PNG", -1)) return std::nullopt;
  return double(size) / double(reference.size());
}

// The browser editor's year step: its core's WebAssembly (make web) under node, on the same
// world, timed by bench/web-year-step.mjs; nothing when the module or node is missing.
std::optional<double> BrowserYearStep() {
  const std::string source = TIRMAGOR_SOURCE_DIR;
  if (!fs::exists(source + "/build/web/core/tirmagor-core.wasm")) {
    std::printf("browser year step: not run (no build/web/core: run make web)\n");
    return std::nullopt;
  }
  const std::string command = "node '" + source + "/bench/web-year-step.mjs' '" + source + "/build/web/core' '" +
                              TheWorld->StartupDir().string() + "' '" + TheWorld->EpochDir() + "' " +
                              std::to_string(Years);
  FILE* output = popen(command.c_str(), "r");
  if (!output) return std::nullopt;
  double seconds = 0;
  const bool read = std::fscanf(output, "%lf", &seconds) == 1;
  if (pclose(output) != 0 || !read || seconds <= 0) {
    std::printf("browser year step: the measurement failed\n");
    return std::nullopt;
  }
  return seconds;
}

// Prints every figure against its floor and budget; gives the budgets that failed.
std::vector<std::string> PrintSummary(const std::map<std::string, double>& measured) {
  auto figure = [&](const char* name) -> std::optional<double> {
    auto it = measured.find(name);
    if (it == measured.end()) return std::nullopt;
    return it->second;
  };
  const auto mapCopy = figure("FloorMapCopy");
  std::optional<double> diskWrite;
  if (auto floor = figure("FloorDiskWrite100Years")) diskWrite = *floor / Years;
  const auto uncachedCopy = figure("FloorMapCopyUncached");
  std::optional<double> exportPerYear, pngPerYear, tiledPerYear;
  const auto publishEpoch = figure("Publish100Years"), pngEpoch = figure("EpochExportPng100Years");
  if (auto epoch = figure("EpochExport100Years")) exportPerYear = *epoch / Years;
  if (auto epoch = figure("EpochExportPng100Years")) pngPerYear = *epoch / Years;
  if (auto tiled = figure("TiledRasterizer3Years")) tiledPerYear = *tiled / TiledYears;

  struct Row {
    const char* what;
    std::optional<double> seconds;
    const char* floorName;
    std::optional<double> floor;
    std::string budget;
    std::optional<bool> pass;
  };
  auto within = [](std::optional<double> value, std::optional<double> limit) -> std::optional<bool> {
    if (!value || !limit) return std::nullopt;
    return *value <= *limit;
  };
  auto times = [](std::optional<double> floor, double factor) -> std::optional<double> {
    if (!floor) return std::nullopt;
    return *floor * factor;
  };
  const auto yearStepWholeMap = figure("YearStepWholeMap");
  const auto startup = figure("StartupToFirstPaint"), yearStep = figure("YearStep"),
             pickUp = figure("PickUpAndDrop"), mouseMove = figure("FormMouseMove");
  const std::vector<Row> rows = {
      {"start-up to first paint", startup, "map copy", mapCopy, "< 150 ms", within(startup, 0.150)},
      {"year step, full load", yearStep, "map copy", mapCopy, "<= 1.5 x map copy", within(yearStep, times(mapCopy, 1.5))},
      {"year step, whole map", yearStepWholeMap, "map copy", mapCopy, "", std::nullopt},
      {"year step, browser (node)", figure("BrowserYearStep"), "native step", yearStep, "<= 2 x native step",
       within(figure("BrowserYearStep"), times(yearStep, 2))},
      {"FormPaint", figure("FormPaint"), "map copy", mapCopy, "", std::nullopt},
      {"pick-up and drop", pickUp, "map copy", mapCopy, "< 100 us", within(pickUp, 100e-6)},
      {"undo of a move", figure("UndoMove"), "map copy", mapCopy, "< 50 us", within(figure("UndoMove"), 50e-6)},
      {"redo of a move", figure("RedoMove"), "map copy", mapCopy, "< 50 us", within(figure("RedoMove"), 50e-6)},
      {"FormMouseMove", mouseMove, "map copy", mapCopy, "< 100 us", within(mouseMove, 100e-6)},
      {"full repaint, 2560 x 1440", figure("RepaintLargeWindow"), "map copy", mapCopy, "", std::nullopt},
      {"overview after year step", figure("OverviewAfterYearStep"), "map copy", mapCopy, "< whole-map step",
       within(figure("OverviewAfterYearStep"), yearStepWholeMap)},
      {"turn file read", figure("ReadTurnFile"), "map copy", mapCopy, "", std::nullopt},
      {"turn file write", figure("WriteTurnFile"), "disk write", diskWrite, "", std::nullopt},
      {"epoch export, per year", exportPerYear, "disk write", diskWrite, "<= 2 x disk write",
       within(exportPerYear, times(diskWrite, 2))},
      {"PNG export, per year", pngPerYear, "Tiled", tiledPerYear, "<= Tiled / 10", within(pngPerYear, times(tiledPerYear, 0.1))},
      {"publish, 100 years", publishEpoch, "PNG export", pngEpoch, "<= 1.5 x PNG export",
       within(publishEpoch, times(pngEpoch, 1.5))},
  };

  std::printf("\n%u cores; load average %s.\n", std::thread::hardware_concurrency(), LoadAverage().c_str());
  std::printf("Floors: one copy of the map's pixels (%.1f MB) %s (%s with neither picture in the cache); "
              "writing the 24-bit BMP's %.1f MB %s.\n",
              MapPixelBytes / 1e6, mapCopy ? Duration(*mapCopy).c_str() : "not run",
              uncachedCopy ? Duration(*uncachedCopy).c_str() : "not run", BmpFileBytes / 1e6,
              diskWrite ? Duration(*diskWrite).c_str() : "not run");
  std::printf("%-26s %12s  %-11s %8s  %-18s %s\n", "figure (median)", "time", "floor", "ratio", "budget", "result");
  std::vector<std::string> failed;
  for (const Row& row : rows) {
    if (row.pass && !*row.pass) failed.push_back(std::string(row.what) + " (" + row.budget + ")");
    const std::string time = row.seconds ? Duration(*row.seconds) : "not run";
    char ratio[16] = "-";
    if (row.seconds && row.floor && *row.floor > 0) std::snprintf(ratio, sizeof ratio, "%.2f", *row.seconds / *row.floor);
    const char* result = !row.pass ? (row.budget.empty() ? "" : "-") : *row.pass ? "PASS" : "FAIL";
    std::printf("%-26s %12s  %-11s %8s  %-18s %s\n", row.what, time.c_str(), row.floorName, ratio, row.budget.c_str(),
                result);
  }
  if (yearStep && uncachedCopy)
    std::printf("year step: %.2f x a copy with neither picture in the cache\n", *yearStep / *uncachedCopy);
  if (exportPerYear) std::printf("epoch export: %.1f years per second\n", 1.0 / *exportPerYear);
  if (pngPerYear && tiledPerYear)
    std::printf("PNG export: %.1f years per second, %.1f x faster a year than Tiled's tmxrasterizer (%.0f ms a map)\n",
                1.0 / *pngPerYear, *tiledPerYear / *pngPerYear, *tiledPerYear * 1e3);
  if (const auto ratio = PngSizeRatio()) {
    std::printf("PNG size: %.2f x what zlib's default compression level gives for the same picture (budget 1.5)\n", *ratio);
    if (*ratio > 1.5) failed.push_back("PNG size (<= 1.5 x zlib's default)");
  }
  return failed;
}

}  // namespace

}  // namespace bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf("Load average %s. Making the benchmark world (map 2260 x 1560, 27 players x 127 units, 100 years)...\n",
              bench::LoadAverage().c_str());
  std::fflush(stdout);
  bench::BenchWorld world;
  bench::TheWorld = &world;
  bench::Register();
  bench::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (const auto browserStep = bench::BrowserYearStep()) reporter.medianSeconds["BrowserYearStep"] = *browserStep;
  const std::vector<std::string> failed = bench::PrintSummary(reporter.medianSeconds);
  benchmark::Shutdown();
  if (failed.empty()) return 0;
  std::printf("\nOver budget:\n");
  for (const std::string& what : failed) std::printf("  %s\n", what.c_str());
  return 1;
}
