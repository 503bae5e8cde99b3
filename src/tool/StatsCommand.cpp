// tirmagor-tool stats: every player's units per kind and per group, year by year, as CSV, JSON
// and a chart.

#include <QApplication>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "chronicle/Stats.h"
#include "chart/Chart.h"
#include "export/ChronicleJson.h"
#include "tool/Commands.h"
#include "tool/Options.h"
#include "tool/Usage.h"
#include "world/Cp1251.h"
#include "world/FileError.h"
#include "world/FileReplacement.h"
#include "world/Palette.h"

namespace tool {

namespace fs = std::filesystem;

namespace {

struct StatsRequest {
  std::optional<fs::path> palette, csv, json, chart;
  std::vector<fs::path> turns;
};

std::optional<StatsRequest> ParseRequest(const Arguments& args) {
  const std::optional<Options> options = ParseOptions(args, {"--palette", "--csv", "--json", "--chart"});
  if (!options || options->rest.empty()) return std::nullopt;
  return StatsRequest{options->Value("--palette"), options->Value("--csv"), options->Value("--json"),
                      options->Value("--chart"), std::vector<fs::path>(options->rest.begin(), options->rest.end())};
}

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string Csv(const std::vector<chronicle::YearStats>& years) {
  std::ostringstream out;
  out << "year,player,name,troops,buildings,mines,total";
  for (int k = 1; k <= world::KindCount; ++k) out << ",k" << k;
  out << "\n";
  for (const chronicle::YearStats& year : years)
    for (const chronicle::PlayerStats& player : year.players) {
      out << year.year << "," << player.player << "," << CsvField(world::Cp1251ToUtf8(player.name)) << ","
          << player.groups.troops << "," << player.groups.buildings << "," << player.groups.mines << ","
          << player.groups.Total();
      for (int count : player.kinds) out << "," << count;
      out << "\n";
    }
  return out.str();
}

}  // namespace

int StatsCommand(const Arguments& args) {
  const std::optional<StatsRequest> request = ParseRequest(args);
  if (!request) return std::cerr << UsageOf("stats"), ExitUsage;
  try {
    std::vector<chronicle::Turn> turns;
    for (const fs::path& file : request->turns) turns.push_back(chronicle::ReadTurn(file));
    world::TPalette palette{};
    world::DefaultPalette(palette);
    if (request->palette) world::ReadPaletteFile(palette, *request->palette);
    const std::vector<chronicle::YearStats> years = chronicle::CollectStats(turns);
    if (request->csv) {
      const std::string csv = Csv(years);
      world::ReplaceFile(*request->csv, csv.data(), csv.size());
    }
    if (request->json) {
      const std::string json = exporting::JsonText(exporting::StatsJson(years)) + "\n";
      world::ReplaceFile(*request->json, json.data(), json.size());
    }
    if (request->chart) {
      // The chart is drawn off screen: the tool opens no window, with or without a desktop.
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      // Qt's notes about the desktop it runs on are no business of a command-line tool's user.
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << "\n";
      });
      int argc = 1;
      char name[] = "tirmagor-tool";
      char* argv[] = {name, nullptr};
      QApplication application(argc, argv);
      chart::SaveUnitsChart(years, palette, *request->chart);
    }
    if (!request->csv && !request->json && !request->chart) std::cout << Csv(years);
  } catch (const world::FileError& error) {
    std::cerr << error.what() << "\n";
    return ExitFailed;
  }
  return ExitOk;
}

}  // namespace tool
