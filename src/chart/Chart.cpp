#include "chart/Chart.h"

#include <QBuffer>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <map>

#include "world/Cp1251.h"
#include "world/FileError.h"
#include "world/FileName.h"
#include "world/FileReplacement.h"

namespace chart {

namespace fs = std::filesystem;

namespace {

QFont PixelFont(int pixels, bool bold = false) {
  QFont font("Liberation Sans");
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QColor ColorOf(world::Color c) { return QColor(int(world::RedOf(c)), int(world::GreenOf(c)), int(world::BlueOf(c))); }

}  // namespace

std::unique_ptr<QChart> BuildUnitsChart(const std::vector<chronicle::YearStats>& years, const world::TPalette& palette) {
  auto chart = std::make_unique<QChart>();
  chart->setTitle("Войска, строения и рудники игроков по годам");
  chart->setTitleFont(PixelFont(26, true));
  chart->setBackgroundBrush(Qt::white);
  chart->legend()->setAlignment(Qt::AlignRight);
  chart->legend()->setFont(PixelFont(16));

  // A player's line runs through the years whose turns have it, under its latest name.
  std::map<int, QLineSeries*> lines;
  int most = 0;
  for (const chronicle::YearStats& year : years)
    for (const chronicle::PlayerStats& player : year.players) {
      QLineSeries*& line = lines[player.player];
      if (!line) line = new QLineSeries(chart.get());
      const QString name = QString::fromUtf8(world::Cp1251ToUtf8(player.name)).simplified();
      line->setName(QString::number(player.player) + ". " + (name.isEmpty() ? "Игрок " + QString::number(player.player) : name));
      line->append(year.year, player.groups.Total());
      most = std::max(most, player.groups.Total());
    }
  for (auto& [number, line] : lines) {
    QPen pen(ColorOf(palette[size_t(std::clamp(number, 1, world::MaxPlayers))]));
    pen.setWidth(3);
    line->setPen(pen);
    chart->addSeries(line);
  }

  auto* yearAxis = new QValueAxis(chart.get());
  yearAxis->setTitleText("Год");
  yearAxis->setLabelFormat("%d");
  const int first = years.empty() ? 0 : years.front().year, last = years.empty() ? 1 : years.back().year;
  yearAxis->setRange(first, std::max(last, first + 1));
  yearAxis->setTickCount(std::clamp(last - first + 1, 2, 21));
  auto* unitAxis = new QValueAxis(chart.get());
  unitAxis->setTitleText("Единиц");
  unitAxis->setLabelFormat("%d");
  unitAxis->setRange(0, std::max(10, most + most / 10));
  unitAxis->applyNiceNumbers();
  for (QValueAxis* axis : {yearAxis, unitAxis}) {
    axis->setTitleFont(PixelFont(18, true));
    axis->setLabelsFont(PixelFont(15));
  }
  chart->addAxis(yearAxis, Qt::AlignBottom);
  chart->addAxis(unitAxis, Qt::AlignLeft);
  for (QAbstractSeries* series : chart->series()) {
    series->attachAxis(yearAxis);
    series->attachAxis(unitAxis);
  }
  return chart;
}

void SaveUnitsChart(const std::vector<chronicle::YearStats>& years, const world::TPalette& palette, const fs::path& file,
                    QSize size) {
  QGraphicsScene scene;
  QChart* chart = BuildUnitsChart(years, palette).release();
  scene.addItem(chart);  // the scene owns it from here
  chart->setGeometry(0, 0, size.width(), size.height());
  const QRectF area(0, 0, size.width(), size.height());

  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const bool asSvg = world::HasExtension(file, ".svg");
  bool drawn = true;
  if (asSvg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(area);
    svg.setTitle("Войска, строения и рудники игроков по годам");
    QPainter painter(&svg);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, area, area);
  } else {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      scene.render(&painter, area, area);
    }
    drawn = image.save(&buffer, "PNG");
  }
  if (asSvg) {
    // The generator gives the size in millimetres; a page wants it in pixels, as asked for.
    const qsizetype svgStart = bytes.indexOf("<svg ");
    const qsizetype viewBox = bytes.indexOf("viewBox", svgStart);
    if (svgStart >= 0 && viewBox > svgStart)
      bytes.replace(svgStart, viewBox - svgStart,
                    QStringLiteral("<svg width=\"%1\" height=\"%2\"\n ").arg(size.width()).arg(size.height()).toUtf8());
  }
  if (!drawn) throw world::FileError::CannotCreate(file);
  try {
    world::ReplaceFile(file, bytes.constData(), size_t(bytes.size()));
  } catch (const world::FileError&) {
    throw world::FileError::CannotCreate(file);
  }
}

}  // namespace chart
