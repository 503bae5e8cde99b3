#include "editor/Editor.h"

#include <algorithm>
#include <string_view>
#include <vector>
#include <system_error>

#include "render/Geometry.h"
#include "render/Markers.h"
#include "render/Painting.h"
#include "world/Cp1251.h"
#include "world/FileError.h"
#include "world/LandFile.h"
#include "world/Palette.h"
#include "world/TurnFile.h"

namespace editor {

namespace fs = std::filesystem;

namespace {

bool FileExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string YearName(int32_t year, const char* extension) {
  return "Год" + std::to_string(year) + extension;
}

const char* EditWord(EditKind kind) {
  switch (kind) {
    case EditKind::Move:
      return "перемещение";
    case EditKind::Delete:
      return "удаление";
    case EditKind::Add:
      return "добавление";
  }
  return "";
}

std::string CommandText(const char* verb, std::optional<EditKind> kind) {
  return kind ? std::string(verb) + " " + EditWord(*kind) : verb;
}

// A name for one line of a tooltip: control bytes, a line break among them, show as blanks.
std::string DisplayName(std::string_view bytes) {
  std::string name = world::Cp1251ToUtf8(bytes);
  std::replace_if(name.begin(), name.end(), [](char c) { return uint8_t(c) < 0x20 || c == 0x7F; }, ' ');
  return name;
}

}  // namespace

void Editor::FormCreate() {
  render::Scene& s = scene;
  // Before the pictures a turn may still be composing from are let go.
  s.ComposedMap.Clear();
  History.Reset();
  edit.Holding = false;
  PlayerCount = 27;
  KeepSavedState();
  EpochDir.clear();
  s.ViewLeft = 2;
  s.ViewTop = 30;
  s.CellSize = 20;
  edit.CurrentPlayer = 1;
  edit.SelectedKind = 0;
  s.MarkerBitmap = render::Surface();
  s.MarkerBitmap.SetSize(s.CellSize, s.CellSize);
  s.CleanMap = render::Surface();
  s.IconSheet = render::Surface();
  s.MineSheet = render::Surface();
  world::ReadLandFile(World, LandCount, StartupDir / "orv.dat");
  s.CleanMap.LoadBmp(StartupDir / "map.bmp");
  s.ComposedMap.Load(StartupDir / "map.bmp");
  s.OriginX = s.ViewLeft;
  s.OriginY = s.ViewTop;
  world::DefaultPalette(s.Palette);
  s.IconSheet.LoadBmp(StartupDir / "osnova.bmp");
  s.MineSheet.LoadBmp(StartupDir / "rudnici.bmp");
  render::BuildMaskSheet(s);
  s.KindStripLeft = UpDownLeft + UpDownWidth;
  s.ColorStripLeft = s.KindStripLeft + s.IconSheet.Width() + 4 * s.CellSize;
  s.MarkerBitmap.TransparentColor = s.IconSheet.PixelAt(1, 1);
  s.MarkerBitmap.Transparent = true;
  ui_.SetUpDown(world::MaxPlayers, PlayerCount);
  ui_.SetPlayersField(std::to_string(PlayerCount));
}

void Editor::OpenWorld(const WorldLocation& world) {
  EpochDir = world.epochDir;
  if (!world.turn) return FormPaint();
  OpenTurn(*world.turn);
  ui_.ShowYear(World.Year);
}

void Editor::FormPaint() {
  render::FormPaint(scene, PlayerCount);
  ui_.WindowSurfaceChanged();
}

void Editor::RepaintWindow() {
  render::RepaintWindow(scene, PlayerCount);
  ui_.WindowSurfaceChanged();
}

void Editor::ResizeWindow(int clientWidth, int clientHeight, int outerWidth, int outerHeight) {
  scene.Window.SetSize(clientWidth, clientHeight);
  scene.ViewRight = DesignViewRight + std::max(0, outerWidth - DesignOuterWidth);
  scene.ViewBottom = DesignViewBottom + std::max(0, outerHeight - DesignOuterHeight);
  const ScrollState now = Scrolled();
  ScrollToCells(now.column, now.row);
  RepaintWindow();
}

// Every caller paints the window right after a successful read.
void Editor::ReadTurn(const fs::path& path) {
  render::ReadTurnFileAndDraw(scene, World, PlayerCount, edit, path, /*formPaintFollows=*/true);
  TurnTaken();
  TurnFile = path;
  TurnFileStamp = StampOf(path);
}

void Editor::TurnTaken() {
  History.Reset();
  TurnPlayerCount = PlayerCount;
  KeepSavedState();
}

namespace {

// Equal as a turn file writes them: the entries past a player's count do not count.
bool SameAsSaved(const world::TPlayer& a, const world::TPlayer& b) {
  return a.name == b.name && a.num1 == b.num1 && a.num2 == b.num2 && a.count == b.count &&
         std::equal(a.units.begin() + 1, a.units.begin() + 1 + std::min<int>(a.count, world::MaxUnits), b.units.begin() + 1);
}

}  // namespace

void Editor::KeepSavedState() {
  savedPlayers_ = World.players;
  savedPlayerCount_ = PlayerCount;
}

bool Editor::HasUnsavedEdits() const {
  if (PlayerCount != savedPlayerCount_) return true;
  for (int p = 1; p <= std::min<int>(PlayerCount, world::MaxPlayers); ++p)
    if (!SameAsSaved(World.players[p], savedPlayers_[p])) return true;
  return false;
}

void Editor::DrawCurrentUnit(uint8_t x, uint8_t y) {
  render::DrawCurrentUnit(scene, World, edit, x, y);
}

fs::path Editor::YearFilePath(int32_t year) const {
  // The epoch folder already ends with its separator, so the name is appended as it is.
  return fs::path(EpochDir + YearName(year, ".tvk"));
}

void Editor::N7Click() {
  if (auto path = ui_.ChooseFile({"Открыть файл с картой земель", "Карта|*.bmp", std::nullopt}))
    LoadMap(*path);
  else
    RepaintWindow();
}

void Editor::LoadMap(const fs::path& path) {
  scene.ComposedMap.Load(path);
  History.Reset();
  scene.OriginX = scene.ViewLeft;
  scene.OriginY = scene.ViewTop;
  RepaintWindow();
}

void Editor::N8Click() {
  if (auto path = ui_.ChooseFile({"Открыть файл с записью хода", "Файл хода|*.tvk", std::nullopt})) {
    OpenTurn(*path);
  } else {
    ui_.SetPlayersField(std::to_string(PlayerCount));
    FormPaint();
  }
}

void Editor::OpenTurn(const fs::path& path) {
  ui_.TurnAboutToBeReplaced();
  ShowTurnFrom(path);
}

void Editor::ShowTurnFrom(const fs::path& path) {
  ReadTurn(path);
  ui_.SetPlayersField(std::to_string(PlayerCount));
  FormPaint();
}

void Editor::OpenTurn(const world::TMap& turn, uint8_t playerCount) {
  ui_.TurnAboutToBeReplaced();
  // As the reader does: players past the turn's last keep what they held.
  World.Year = turn.Year;
  PlayerCount = std::min<uint8_t>(playerCount, world::MaxPlayers);
  std::copy_n(turn.players.begin() + 1, PlayerCount, World.players.begin() + 1);
  render::DrawTurn(scene, World, PlayerCount, edit, /*formPaintFollows=*/true);
  TurnTaken();
  TurnFile.clear();
  TurnFileStamp = {};
  ui_.SetPlayersField(std::to_string(PlayerCount));
  FormPaint();
}

void Editor::N2Click() {
  if (auto path = ui_.ChooseFile({"Открыть эпоху...", "Файл пришествия |*.tvk", "Год0.tvk"}))
    OpenEpochOf(*path);
  else
    FormPaint();
}

void Editor::OpenEpochOf(const fs::path& turnFile) {
  if (FileExists(turnFile)) {
    std::string folder = turnFile.parent_path().string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    EpochDir = folder;
  }
  FormPaint();
}

void Editor::N1Click() {
  if (auto path = ui_.ChooseFile({"Загрузить файл с палитрой...", "Файл палитры|*.pal", "palitr.pal"}))
    LoadPalette(*path);
}

void Editor::LoadPalette(const fs::path& path) {
  if (!FileExists(path)) return;
  // The turn's markers not composed yet keep the colours they were drawn in.
  scene.ComposedMap.Finish();
  world::ReadPaletteFile(scene.Palette, path);
}

void Editor::N9Click() {
  World.Year = ui_.YearFieldValue();
  if (auto path = ui_.ChooseFile(
          {"Сохранить ход в файл картинки", "Карта|*.bmp|Картинка PNG|*.png", YearName(World.Year, ".bmp")}))
    SavePicture(*path);
}

void Editor::SavePicture(const fs::path& path, world::Sync sync) const {
  if (render::HasPngExtension(path))
    scene.ComposedMap.SavePng(path, sync);
  else
    scene.ComposedMap.SaveBmp(path, sync);
}

void Editor::N10Click() {
  World.Year = ui_.YearFieldValue();
  if (auto path = ui_.ChooseFile({"Сохранить ход в файл данных", "Файл хода|*.tvk", YearName(World.Year, ".tvk")}))
    SaveTurn(*path);
}

void Editor::SaveTurn(const fs::path& path) {
  world::WriteTurnFile(World, PlayerCount, path);
  ++SaveCount;
  KeepSavedState();
  TurnFile = path;
  TurnFileStamp = StampOf(path);
}

void Editor::RestoreTurn(const fs::path& copy, const fs::path& turnFile) {
  OpenTurn(copy);
  ui_.ShowYear(World.Year);
  CountEditsAgainst(turnFile);
}

void Editor::CountEditsAgainst(const fs::path& turnFile) {
  world::TMap onDisk;
  uint8_t onDiskPlayers = 0;
  try {
    world::ReadTurnFile(onDisk, onDiskPlayers, turnFile);
  } catch (const world::FileError&) {
    onDiskPlayers = 0;  // gone or unreadable: every unit is unsaved
  }
  savedPlayers_ = onDisk.players;
  savedPlayerCount_ = onDiskPlayers;
  TurnFile = turnFile;
  TurnFileStamp = StampOf(turnFile);
}

std::string Editor::TurnText() const { return world::TurnFileText(World, PlayerCount); }

void Editor::N11Click() { ui_.CloseMainWindow(); }

void Editor::N12Click() { ui_.ToggleReferenceWindow(); }

void Editor::FormDblClick() { ui_.ToggleReferenceWindow(); }

void Editor::SpinEdit1Change() {
  const int32_t year = ui_.YearFieldValue();
  const fs::path path = YearFilePath(year);
  const bool turnFollows = FileExists(path);
  // The turn shown is handed over with its own year, before the field's year is given to it.
  if (turnFollows) ui_.TurnAboutToBeReplaced();
  World.Year = year;
  if (turnFollows) ShowTurnFrom(path);
}

void Editor::FormKeyUp() {
  // The field keeps its value within its range, so at the top nothing changes.
  ui_.SetYearFieldValue(ui_.YearFieldValue() + 1);
}

void Editor::UpDown1Click() {
  const uint8_t count = uint8_t(std::clamp(ui_.UpDownPosition(), 2, world::MaxPlayers));
  if (count != PlayerCount) History.Reset();
  PlayerCount = count;
  ui_.SetPlayersField(std::to_string(PlayerCount));
  render::PaintColorStrip(scene, PlayerCount);
  ui_.WindowSurfaceChanged();
}

void Editor::FormMouseMove(int X, int Y) {
  render::Cell cell = render::PixelToCell(scene, X, Y);
  std::string coordinates = "(";
  coordinates += std::to_string(cell.x);
  coordinates += '-';
  coordinates += std::to_string(cell.y);
  coordinates += ')';
  ui_.SetStatusPanel(0, coordinates);
  // Outside the grid there is no cell to read: the panels show what a cell without land shows.
  world::TCell here;
  if (world::IsOnMap(cell.x, cell.y)) here = World.cells[cell.x][cell.y];
  if (here.land >= 1 && here.land <= LandCount) {
    const world::zemla& land = World.lands[here.land];
    ui_.SetStatusPanel(1, world::Cp1251ToUtf8(land.name));
    ui_.SetStatusPanel(2, "доход " + std::to_string(land.income) + " монет");
  } else {
    ui_.SetStatusPanel(1, "");
    ui_.SetStatusPanel(2, "0");
  }
  if (here.mine >= 1 && here.mine <= world::MineKindCount)
    ui_.SetStatusPanel(3, std::string(world::MineNames[here.mine]) + " рудник");
  else
    ui_.SetStatusPanel(3, "");
}

bool Editor::InMapZone(int X, int Y) const { return X > scene.ViewLeft && Y > scene.ViewTop; }

world::TUnit* Editor::CurrentUnitEntry() {
  if (edit.CurrentPlayer < 1 || edit.CurrentPlayer > world::MaxPlayers) return nullptr;
  world::TPlayer& player = World.players[edit.CurrentPlayer];
  if (edit.CurrentUnit < 1 || edit.CurrentUnit > std::min<int>(player.count, world::MaxUnits)) return nullptr;
  return &player.units[edit.CurrentUnit];
}

void Editor::BeginEdit(EditKind kind, const render::EditingState& before, uint8_t player,
                       std::optional<render::Cell> cell) {
  History.Begin(kind, before);
  History.SavePlayer(World, player);
  if (cell) History.SaveCell(scene, cell->x, cell->y);
}

void Editor::CommitEditWhenIdle() {
  if (!edit.Holding) History.Commit(World, scene);
}

void Editor::PickUp(int X, int Y) {
  const render::EditingState before = edit;
  render::Cell cell = render::PixelToCell(scene, X, Y);
  const world::TUnit* candidate = nullptr;
  world::ForEachUnit(World, PlayerCount, [&](int p, int u, const world::TUnit& unit) {
    if (unit.x != cell.x || unit.y != cell.y) return;
    if (candidate && unit.kind >= candidate->kind) return;
    candidate = &unit;
    edit.Holding = true;
    edit.CurrentPlayer = uint8_t(p);
    edit.CurrentUnit = uint8_t(u);
  });
  if (!candidate || candidate->kind == 0) return;
  BeginEdit(EditKind::Move, before, edit.CurrentPlayer, cell);
  world::TUnit& unit = World.players[edit.CurrentPlayer].units[edit.CurrentUnit];
  unit.x = 0;
  unit.y = 0;
  render::Restoreklet(scene, World, PlayerCount, edit, cell.x, cell.y);
  render::Lmdraw(scene, edit, unit.kind, edit.CurrentPlayer);
}

void Editor::Place(int X, int Y) {
  const render::EditingState before = edit;
  if (edit.SelectedKind == 0) return;
  render::Cell cell = render::PixelToCell(scene, X, Y);
  edit.Holding = false;
  if (edit.CurrentPlayer < 1 || edit.CurrentPlayer > world::MaxPlayers) return;
  world::TPlayer& player = World.players[edit.CurrentPlayer];
  // A full unit table takes no more units: the press only ends the choice.
  if (player.count >= world::MaxUnits) return;
  BeginEdit(EditKind::Add, before, edit.CurrentPlayer, cell);
  ++player.count;
  player.units[player.count] = {cell.x, cell.y, edit.SelectedKind};
  edit.CurrentUnit = player.count;
  DrawCurrentUnit(cell.x, cell.y);
}

void Editor::MouseDOwn(MouseButton, int X, int Y) {
  render::Scene& s = scene;
  if (InMapZone(X, Y)) {
    if (edit.Holding)
      Place(X, Y);
    else
      PickUp(X, Y);
  } else if (X > s.KindStripLeft && X < s.ColorStripLeft) {
    edit.SelectedKind = uint8_t((X - s.KindStripLeft) / s.CellSize + 1);
    render::Lmdraw(s, edit, edit.SelectedKind, edit.CurrentPlayer);
  } else if (X > s.ColorStripLeft && X < s.ColorStripLeft + s.CellSize * PlayerCount) {
    edit.CurrentPlayer = uint8_t((X - s.ColorStripLeft) / s.CellSize + 1);
    render::Lmdraw(s, edit, edit.SelectedKind, edit.CurrentPlayer);
  } else {
    return;
  }
  CommitEditWhenIdle();
  ui_.WindowSurfaceChanged();
}

void Editor::DropOrDelete(MouseButton button, int X, int Y) {
  const render::EditingState before = edit;
  edit.Holding = false;
  // Only a real entry of the player's list is moved or deleted.
  world::TUnit* unit = CurrentUnitEntry();
  if (!unit) return;
  if (button == MouseButton::Left) {
    render::Cell cell = render::PixelToCell(scene, X, Y);
    BeginEdit(EditKind::Move, before, edit.CurrentPlayer, cell);
    DrawCurrentUnit(cell.x, cell.y);
    unit->x = cell.x;
    unit->y = cell.y;
  } else {
    BeginEdit(EditKind::Delete, before, edit.CurrentPlayer, std::nullopt);
    world::TPlayer& player = World.players[edit.CurrentPlayer];
    *unit = player.units[player.count];
    --player.count;
  }
}

void Editor::Image1MouseUp(MouseButton button, int X, int Y) {
  if (!InMapZone(X, Y) || !edit.Holding) return;
  DropOrDelete(button, X, Y);
  CommitEditWhenIdle();
  ui_.WindowSurfaceChanged();
}

void Editor::Undo() {
  if (History.Undo(World, scene, edit)) ui_.WindowSurfaceChanged();
}

void Editor::Redo() {
  if (History.Redo(World, scene, edit)) ui_.WindowSurfaceChanged();
}

bool Editor::Escape() {
  if (!edit.Holding) return false;
  // A lifted unit goes back as if it had never been lifted; a choice from a strip just ends.
  History.CancelOpenStep(World, scene, edit);
  edit.Holding = false;
  ui_.WindowSurfaceChanged();
  return true;
}

std::string Editor::UndoText() const { return CommandText("Отменить", History.UndoKind()); }

std::string Editor::RedoText() const { return CommandText("Вернуть", History.RedoKind()); }

std::string Editor::ToolTipAt(int X, int Y) const {
  const render::Scene& s = scene;
  if (InMapZone(X, Y)) return CellToolTip(render::PixelToCell(s, X, Y));
  if (s.CellSize <= 0) return {};
  if (X > s.KindStripLeft && X < s.ColorStripLeft) {
    const int kind = (X - s.KindStripLeft) / s.CellSize + 1;
    if (!world::IsKnownKind(kind)) return {};
    const world::KindInfo& info = world::InfoOfKind(kind);
    return std::string(info.legendWord) + " (" + world::Cp1251ToUtf8(std::string(1, char(info.letter))) + ")";
  }
  if (X > s.ColorStripLeft && X < s.ColorStripLeft + s.CellSize * PlayerCount)
    return PlayerToolTip((X - s.ColorStripLeft) / s.CellSize + 1);
  return {};
}

std::string Editor::PlayerToolTip(int player) const {
  std::string text = "Игрок " + std::to_string(player);
  if (player < 1 || player > std::min<int>(TurnPlayerCount, world::MaxPlayers)) return text;
  const world::TPlayer& p = World.players[player];
  text += ": " + DisplayName(p.name);
  const world::GroupCounts groups = world::CountGroups(p);
  return text + "\nЕдиниц: " + std::to_string(std::min<int>(p.count, world::MaxUnits)) + " — войска " +
         std::to_string(groups.troops) + ", строения " + std::to_string(groups.buildings) + ", рудники " +
         std::to_string(groups.mines);
}

std::string Editor::CellToolTip(render::Cell cell) const {
  struct Standing {
    int kind, player, unit;
    auto operator<=>(const Standing&) const = default;
  };
  std::vector<Standing> standing;
  world::ForEachUnit(World, PlayerCount, [&](int p, int u, const world::TUnit& unit) {
    if (unit.x == cell.x && unit.y == cell.y) standing.push_back({unit.kind, p, u});
  });
  // A press takes the smallest kind, then the lowest player, then the lowest index.
  std::sort(standing.begin(), standing.end());
  std::string text;
  for (const Standing& s : standing) {
    if (!text.empty()) text += '\n';
    text += "Игрок " + std::to_string(s.player);
    const std::string name = DisplayName(World.players[s.player].name);
    if (!name.empty()) text += ": " + name;
    text += " — " + world::KindLegendWord(s.kind);
  }
  return text;
}

Editor::ScrollState Editor::Scrolled() const {
  const render::Scene& s = scene;
  if (s.CellSize <= 0) return {};
  const render::Area view = render::VisibleView(s);
  auto maxSteps = [&](int viewSize, int mapSize) {
    const int hiddenPixels = std::max(0, mapSize - viewSize);
    return (hiddenPixels + s.CellSize - 1) / s.CellSize;
  };
  return {(s.ViewLeft - s.OriginX) / s.CellSize, (s.ViewTop - s.OriginY) / s.CellSize,
          maxSteps(view.x2 - view.x1, s.ComposedMap.Width()), maxSteps(view.y2 - view.y1, s.ComposedMap.Height())};
}

bool Editor::ScrollToCells(int column, int row) {
  render::Scene& s = scene;
  if (s.CellSize <= 0) return false;
  const ScrollState now = Scrolled();
  const int originX = s.ViewLeft - std::clamp(column, 0, now.maxColumn) * s.CellSize;
  const int originY = s.ViewTop - std::clamp(row, 0, now.maxRow) * s.CellSize;
  if (originX == s.OriginX && originY == s.OriginY) return false;
  s.OriginX = originX;
  s.OriginY = originY;
  return true;
}

void Editor::ScrollByCells(int columns, int rows) {
  const ScrollState now = Scrolled();
  if (ScrollToCells(now.column + columns, now.row + rows)) FormPaint();
}

void Editor::CentreViewOn(int px, int py) {
  const render::Scene& s = scene;
  if (s.CellSize <= 0) return;
  const render::Area view = render::VisibleView(s);
  // The whole cells that put (px, py) nearest the middle; negative ones are clamped anyway.
  auto steps = [&](int viewSize, int mapPixel) {
    const int pixels = mapPixel - viewSize / 2;
    return pixels >= 0 ? (pixels + s.CellSize / 2) / s.CellSize : 0;
  };
  if (ScrollToCells(steps(view.x2 - view.x1, px), steps(view.y2 - view.y1, py))) FormPaint();
}

}  // namespace editor
