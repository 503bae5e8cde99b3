// The chart of the players' units: one line per player in its colour, written as PNG or SVG.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSvgRenderer>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

#include "chart/Chart.h"
#include "ScratchFolder.h"

namespace {

std::vector<chronicle::YearStats> ThreeYears() {
  std::vector<chronicle::YearStats> years;
  for (int year = 4; year <= 6; ++year) {
    chronicle::YearStats stats{year, {}};
    for (int p = 1; p <= (year == 6 ? 3 : 2); ++p) {
      chronicle::PlayerStats player{p, test_support::Cp(p == 1 ? "Орки" : p == 2 ? "" : "Эльфы"), {}, {}};
      player.groups = {year * p, p, 1};
      stats.players.push_back(player);
    }
    years.push_back(stats);
  }
  return years;
}

TEST(Chart, OneLinePerPlayerInItsColourThroughItsYears) {
  world::TPalette palette{};
  world::DefaultPalette(palette);
  const auto chart = chart::BuildUnitsChart(ThreeYears(), palette);
  const QList<QAbstractSeries*> series = chart->series();
  ASSERT_EQ(series.size(), 3);
  auto* orcs = static_cast<QLineSeries*>(series[0]);
  EXPECT_EQ(orcs->name(), "1. Орки");
  EXPECT_EQ(static_cast<QLineSeries*>(series[1])->name(), "2. Игрок 2") << "a player without a name";
  EXPECT_EQ(orcs->points(), QList<QPointF>({{4, 6}, {5, 7}, {6, 8}}));
  EXPECT_EQ(static_cast<QLineSeries*>(series[2])->points(), QList<QPointF>({{6, 22}})) << "only the year it is in";
  const QColor colour = orcs->pen().color();
  EXPECT_EQ(world::Rgb(uint8_t(colour.red()), uint8_t(colour.green()), uint8_t(colour.blue())), palette[1]);
}

TEST(Chart, SavedAsPngOrSvgOfTheSizeAsked) {
  world::TPalette palette{};
  world::DefaultPalette(palette);
  test_support::ScratchFolder dir;
  chart::SaveUnitsChart(ThreeYears(), palette, dir / "units.png");
  chart::SaveUnitsChart(ThreeYears(), palette, dir / "units.SVG", {800, 450});
  const QImage png(QString::fromStdString((dir / "units.png").string()), "PNG");
  EXPECT_EQ(png.size(), QSize(1600, 900));
  QSvgRenderer svg(QString::fromStdString((dir / "units.SVG").string()));
  ASSERT_TRUE(svg.isValid());
  EXPECT_EQ(svg.defaultSize(), QSize(800, 450));
  EXPECT_NE(test_support::ReadBytes(dir / "units.SVG").find("<svg width=\"800\" height=\"450\""), std::string::npos);
  EXPECT_THROW(chart::SaveUnitsChart(ThreeYears(), palette, dir / "missing" / "units.png"), world::FileError);
}

}  // namespace

int main(int argc, char* argv[]) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
