#include "Epoch.h"

#include <algorithm>
#include <array>
#include <climits>
#include <stdexcept>
#include <string>

#include "Random.h"
#include "world/Cp1251.h"

namespace demo {
namespace {

using world::MapHeight;
using world::MapWidth;

using Kind = world::UnitKind;
using enum world::UnitKind;

struct PlayerSeed {
  const char* name;  // UTF-8; at most 16 characters
  Kind people;       // the troop kind most of its armies are of
};

constexpr std::array<PlayerSeed, EpochPlayerCount> PlayerSeeds = {{
    {"Ольгерд Смелый", Knight},   {"Ведана Мудрая", Mage},       {"Горислав Рыжий", Dwarf},
    {"Милена Светлая", Elf},      {"Ратибор Хромой", Barbarian}, {"Забава Быстрая", Elf},
    {"Всеслав Чародей", Mage},    {"Любомир Тихий", Dwarf},      {"Ярослава Гордая", Knight},
    {"Будимир Старый", Dwarf},    {"Злата Морская", Elf},        {"Остромир Лютый", Orc},
    {"Велимир Щедрый", Knight},   {"Добрава Лесная", Elf},       {"Святогор Сильный", Barbarian},
    {"Мстислав Угрюмый", Zombie}, {"Радмила Зоркая", Elf},       {"Тихомир Купец", Knight},
    {"Беляна Снежная", Mage},     {"Гостомысл Дикий", Orc},      {"Любава Ясная", Knight},
    {"Ждан Весёлый", Barbarian},  {"Негода Мрачный", Zombie},    {"Вышата Кузнец", Dwarf},
    {"Умила Певунья", Elf},       {"Борислав Седой", Orc},       {"Предслава Юная", Knight},
}};

constexpr int CopperSiteCount = 20;
constexpr int MaxBuildings = 14;
constexpr int MaxCities = 5;
constexpr int MarchingArmies = 4;  // a player recruits while it has fewer

// Kind 0 marks a piece beaten in this year's fights; it stays in them as an army until Fight
// sweeps it away (so it may be beaten again), and the demo's turn files were made that way.
bool IsArmy(uint8_t kind) { return kind == NoKind || (world::IsTroop(kind) && kind != Guard); }

int Speed(uint8_t kind) {
  switch (kind) {
    case Knight: case Barbarian: case Dragon: case Ship: return 3;
    case Zombie: return 1;
    default: return 2;
  }
}

int Distance2(int x1, int y1, int x2, int y2) { return (x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2); }

struct Piece {
  int x = 0, y = 0;
  uint8_t kind = 0;
  int since = 0;  // the year it was built, recruited or last changed its kind
  int targetX = 0, targetY = 0;  // 0 = none
};

struct MineSite {
  int x = 0, y = 0;
  uint8_t kind = 0;
  int owner = 0;  // player number; 0 = nobody
};

struct Player {
  const Region* home = nullptr;
  Kind people = Knight;
  std::vector<Piece> pieces;
};

class Game {
 public:
  explicit Game(const Geography& geography) : geography_(geography), random_(0x65706F6368ull) {}

  void Start();
  void PlayYear(int year);
  world::TMap Snapshot(int year) const;

 private:
  bool IsLand(int x, int y) const { return world::IsOnMap(x, y) && !geography_.IsSea(x, y); }
  bool IsSea(int x, int y) const { return world::IsOnMap(x, y) && geography_.IsSea(x, y); }
  bool Passable(uint8_t kind, int x, int y) const { return kind == Ship ? IsSea(x, y) : IsLand(x, y); }
  bool HasPiece(int x, int y) const { return pieceCount_[size_t(x)][size_t(y)] > 0; }
  int MineAt(int x, int y) const;  // index into mines_, or -1
  bool FreeLand(int x, int y) const { return IsLand(x, y) && !HasPiece(x, y) && MineAt(x, y) < 0; }

  void Add(Player& player, Piece piece);
  void MoveTo(Piece& piece, int x, int y);
  // A free cell within `radius` of (x, y) where `fits` holds, picked at random; false if none.
  template <typename Fits>
  bool FindCell(int x, int y, int radius, Fits fits, int& foundX, int& foundY);

  std::vector<const Region*> ChooseHomes() const;
  void PlaceMineSites(const std::vector<const Region*>& homes);
  void March(int playerNumber, Piece& army);
  void ChooseTarget(int playerNumber, Piece& army);
  void Fight();
  void Grow(int year, Player& player);

  const Geography& geography_;
  Random random_;
  std::vector<Player> players_;  // player n at index n - 1
  std::vector<MineSite> mines_;
  std::array<std::array<int, MapHeight + 1>, MapWidth + 1> pieceCount_{};
};

int Game::MineAt(int x, int y) const {
  for (size_t i = 0; i < mines_.size(); ++i)
    if (mines_[i].x == x && mines_[i].y == y) return int(i);
  return -1;
}

void Game::Add(Player& player, Piece piece) {
  ++pieceCount_[size_t(piece.x)][size_t(piece.y)];
  player.pieces.push_back(piece);
}

void Game::MoveTo(Piece& piece, int x, int y) {
  --pieceCount_[size_t(piece.x)][size_t(piece.y)];
  piece.x = x;
  piece.y = y;
  ++pieceCount_[size_t(x)][size_t(y)];
}

template <typename Fits>
bool Game::FindCell(int x, int y, int radius, Fits fits, int& foundX, int& foundY) {
  std::vector<std::pair<int, int>> cells;
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) {
      int cx = x + dx, cy = y + dy;
      if (world::IsOnMap(cx, cy) && (dx != 0 || dy != 0) && dx * dx + dy * dy <= radius * radius && fits(cx, cy))
        cells.emplace_back(cx, cy);
    }
  if (cells.empty()) return false;
  auto [cx, cy] = cells[size_t(random_.Below(int(cells.size())))];
  foundX = cx;
  foundY = cy;
  return true;
}

// The largest land first, then again and again the land farthest from the homes chosen so far,
// so that the players spread over the whole map.
std::vector<const Region*> Game::ChooseHomes() const {
  std::vector<const Region*> lands;
  for (const Region& region : geography_.regions)
    if (!region.sea) lands.push_back(&region);
  if (int(lands.size()) < EpochPlayerCount) throw std::runtime_error("the demo map has fewer lands than players");
  std::stable_sort(lands.begin(), lands.end(), [](const Region* a, const Region* b) { return a->cellCount > b->cellCount; });
  std::vector<const Region*> homes{lands.front()};
  while (int(homes.size()) < EpochPlayerCount) {
    const Region* farthest = nullptr;
    int farthestDistance = -1;
    for (const Region* land : lands) {
      if (std::find(homes.begin(), homes.end(), land) != homes.end() || land->cellCount < 30) continue;
      int nearest = INT_MAX;
      for (const Region* home : homes)
        nearest = std::min(nearest, Distance2(land->interiorX, land->interiorY, home->interiorX, home->interiorY));
      if (nearest > farthestDistance) {
        farthestDistance = nearest;
        farthest = land;
      }
    }
    if (farthest == nullptr) throw std::runtime_error("the demo map has too few large lands");
    homes.push_back(farthest);
  }
  return homes;
}

void Game::PlaceMineSites(const std::vector<const Region*>& homes) {
  // Silver, gold and mithril mines stand on the deposits of the same metal; copper has none.
  for (int x = 1; x <= MapWidth; ++x)
    for (int y = 1; y <= MapHeight; ++y) {
      uint8_t deposit = geography_.world.cells[x][y].mine;
      if (deposit >= 1 && deposit <= 3) mines_.push_back({x, y, uint8_t(Silver + deposit - 1), 0});
    }
  std::vector<std::pair<int, int>> candidates;
  for (int x = 1; x <= MapWidth; ++x)
    for (int y = 1; y <= MapHeight; ++y)
      if (IsLand(x, y) && geography_.world.cells[x][y].mine == 0) candidates.emplace_back(x, y);
  random_.Shuffle(candidates);
  int copper = 0;
  for (const auto& [x, y] : candidates) {
    if (copper == CopperSiteCount) break;
    const int cx = x, cy = y;  // clang 14 does not let a lambda capture structured bindings
    bool spaced = std::none_of(mines_.begin(), mines_.end(), [&](const MineSite& m) { return Distance2(m.x, m.y, cx, cy) < 16; });
    if (!spaced) continue;
    mines_.push_back({x, y, Copper, 0});
    ++copper;
  }
  for (MineSite& mine : mines_)
    for (size_t p = 0; p < homes.size(); ++p)
      if (geography_.world.cells[mine.x][mine.y].land == homes[p]->key) mine.owner = int(p) + 1;
}

void Game::Start() {
  std::vector<const Region*> homes = ChooseHomes();
  PlaceMineSites(homes);
  for (int p = 1; p <= EpochPlayerCount; ++p) {
    players_.push_back(Player{homes[size_t(p - 1)], PlayerSeeds[size_t(p - 1)].people, {}});
    Player& player = players_.back();
    const Region& home = *player.home;
    auto inHome = [&](int x, int y) { return FreeLand(x, y) && geography_.world.cells[x][y].land == home.key; };
    auto onLand = [&](int x, int y) { return FreeLand(x, y); };
    int cx = home.interiorX, cy = home.interiorY;
    int x = 0, y = 0;
    if (!inHome(cx, cy)) {
      if (!FindCell(cx, cy, 3, inHome, x, y)) throw std::runtime_error("no room for a capital");
      cx = x;
      cy = y;
    }
    Add(player, {cx, cy, City, 0});
    if (FindCell(cx, cy, 1, onLand, x, y)) Add(player, {x, y, Guard, 0});
    uint8_t stronghold = p % 3 == 0 ? Castle : Fortress;
    if (FindCell(cx, cy, 5, inHome, x, y) || FindCell(cx, cy, 5, onLand, x, y)) Add(player, {x, y, stronghold, 0});
    if (p % 2 == 0 && FindCell(cx, cy, 4, inHome, x, y)) Add(player, {x, y, Tower, 0});
    Kind second = Kind((player.people + 3) % 7 + 1);
    for (Kind kind : {player.people, player.people, second})
      if (FindCell(cx, cy, 3, onLand, x, y)) Add(player, {x, y, kind, 0});
    if (p % 7 == 2 && FindCell(cx, cy, 4, onLand, x, y)) Add(player, {x, y, Dragon, 0});
    auto freeSea = [&](int sx, int sy) { return IsSea(sx, sy) && !HasPiece(sx, sy); };
    if (FindCell(cx, cy, 6, freeSea, x, y)) Add(player, {x, y, Ship, 0});
  }
}

void Game::ChooseTarget(int playerNumber, Piece& army) {
  army.targetX = army.targetY = 0;
  if (army.kind != Ship && random_.Chance(60)) {
    int best = 30 * 30;
    for (const MineSite& mine : mines_)
      if (mine.owner != playerNumber && Distance2(mine.x, mine.y, army.x, army.y) < best) {
        best = Distance2(mine.x, mine.y, army.x, army.y);
        army.targetX = mine.x;
        army.targetY = mine.y;
      }
    if (army.targetX != 0) return;
  }
  int x = 0, y = 0;
  if (FindCell(army.x, army.y, 8, [&](int cx, int cy) { return Passable(army.kind, cx, cy); }, x, y)) {
    army.targetX = x;
    army.targetY = y;
  }
}

// Steps towards the target, each step to the free neighbour nearest to it; stops where no
// step brings it closer.
void Game::March(int playerNumber, Piece& army) {
  if (army.targetX == 0 || (army.x == army.targetX && army.y == army.targetY)) ChooseTarget(playerNumber, army);
  if (army.targetX == 0) return;
  bool moved = false;
  for (int step = 0; step < Speed(army.kind); ++step) {
    int bestX = 0, bestY = 0;
    int best = Distance2(army.x, army.y, army.targetX, army.targetY);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        int nx = army.x + dx, ny = army.y + dy;
        if (!Passable(army.kind, nx, ny) || HasPiece(nx, ny)) continue;
        int d = Distance2(nx, ny, army.targetX, army.targetY);
        if (d < best) {
          best = d;
          bestX = nx;
          bestY = ny;
        }
      }
    if (bestX == 0) break;
    MoveTo(army, bestX, bestY);
    moved = true;
  }
  if (!moved) army.targetX = army.targetY = 0;
  int mine = MineAt(army.x, army.y);
  if (mine >= 0) mines_[size_t(mine)].owner = playerNumber;
}

// Armies of different players that stand side by side may fight; the loser is gone.
void Game::Fight() {
  for (size_t p = 0; p < players_.size(); ++p)
    for (size_t q = p + 1; q < players_.size(); ++q)
      for (Piece& a : players_[p].pieces)
        for (Piece& b : players_[q].pieces) {
          if (!IsArmy(a.kind) || !IsArmy(b.kind) || std::abs(a.x - b.x) > 1 || std::abs(a.y - b.y) > 1) continue;
          if (!random_.Chance(30)) continue;
          Piece& loser = random_.Chance(50) ? a : b;
          --pieceCount_[size_t(loser.x)][size_t(loser.y)];
          loser.kind = NoKind;  // swept away below
        }
  for (Player& player : players_)
    std::erase_if(player.pieces, [](const Piece& piece) { return piece.kind == NoKind; });
}

void Game::Grow(int year, Player& player) {
  auto countOf = [&](uint8_t kind) {
    return std::count_if(player.pieces.begin(), player.pieces.end(), [&](const Piece& p) { return p.kind == kind; });
  };
  for (Piece& piece : player.pieces) {
    if (piece.kind == Estate && year - piece.since >= 3 && countOf(City) < MaxCities && random_.Chance(35)) {
      piece.kind = City;
      piece.since = year;
    } else if (piece.kind == Fortress && year - piece.since >= 4 && random_.Chance(35)) {
      piece.kind = Castle;
      piece.since = year;
    }
  }
  auto buildings = std::count_if(player.pieces.begin(), player.pieces.end(), [](const Piece& p) { return world::IsBuilding(p.kind); });
  std::vector<Piece> cities;
  for (const Piece& piece : player.pieces)
    if (piece.kind == City) cities.push_back(piece);
  auto onLand = [&](int x, int y) { return FreeLand(x, y); };
  int x = 0, y = 0;
  if (cities.empty()) return;  // a player without cities only marches
  const Piece& city = cities[size_t(random_.Below(int(cities.size())))];
  if (buildings < MaxBuildings && random_.Chance(30) && FindCell(city.x, city.y, 3, onLand, x, y)) {
    Add(player, {x, y, Estate, year});
    ++buildings;
  }
  std::vector<const MineSite*> owned;
  int playerNumber = int(&player - players_.data()) + 1;
  for (const MineSite& mine : mines_)
    if (mine.owner == playerNumber) owned.push_back(&mine);
  if (buildings < MaxBuildings && !owned.empty() && year % 4 == playerNumber % 4) {
    const MineSite& mine = *owned[size_t(random_.Below(int(owned.size())))];
    if (FindCell(mine.x, mine.y, 2, onLand, x, y)) {
      Add(player, {x, y, Fortress, year});
      ++buildings;
    }
  }
  if (buildings < MaxBuildings && random_.Chance(12) && FindCell(city.x, city.y, 5, onLand, x, y)) Add(player, {x, y, Tower, year});
  auto armies = std::count_if(player.pieces.begin(), player.pieces.end(), [](const Piece& p) { return IsArmy(p.kind) && p.kind != Ship; });
  if (armies < MarchingArmies && random_.Chance(60) && FindCell(city.x, city.y, 1, onLand, x, y)) {
    Kind kind = random_.Chance(70) ? player.people : Kind(random_.Between(Dwarf, Zombie));
    Add(player, {x, y, kind, year});
  }
}

void Game::PlayYear(int year) {
  for (size_t p = 0; p < players_.size(); ++p)
    for (Piece& piece : players_[p].pieces)
      if (IsArmy(piece.kind)) March(int(p) + 1, piece);
  Fight();
  for (Player& player : players_) Grow(year, player);
}

world::TMap Game::Snapshot(int year) const {
  world::TMap map = geography_.world;
  map.Year = year;
  for (int p = 1; p <= EpochPlayerCount; ++p) {
    const Player& player = players_[size_t(p - 1)];
    world::TPlayer& record = map.players[size_t(p)];
    record.name = world::Utf8ToCp1251(PlayerSeeds[size_t(p - 1)].name);
    if (record.name.size() > size_t(world::MaxNameLength)) throw std::runtime_error("player name too long");
    std::vector<world::TUnit> units;
    std::vector<uint8_t> landsHeld;
    for (const Piece& piece : player.pieces) {
      units.push_back({uint8_t(piece.x), uint8_t(piece.y), piece.kind});
      uint8_t land = geography_.world.cells[piece.x][piece.y].land;
      if (world::IsBuilding(piece.kind) && std::find(landsHeld.begin(), landsHeld.end(), land) == landsHeld.end())
        landsHeld.push_back(land);
    }
    for (const MineSite& mine : mines_)
      if (mine.owner == p) units.push_back({uint8_t(mine.x), uint8_t(mine.y), mine.kind});
    if (units.size() > size_t(world::MaxUnits)) throw std::runtime_error("a demo player with too many units");
    record.count = uint8_t(units.size());
    std::copy(units.begin(), units.end(), record.units.begin() + 1);
    // The two header numbers mean what the game master makes of them; here: lands held and their income.
    int income = 0;
    for (uint8_t land : landsHeld) income += geography_.world.lands[land].income;
    record.num1 = uint8_t(landsHeld.size());
    record.num2 = uint8_t(std::min(income, 255));
  }
  return map;
}

}  // namespace

std::vector<world::TMap> PlayEpoch(const Geography& geography) {
  Game game(geography);
  game.Start();
  std::vector<world::TMap> years{game.Snapshot(EpochFirstYear)};
  for (int year = EpochFirstYear + 1; year <= EpochLastYear; ++year) {
    game.PlayYear(year);
    years.push_back(game.Snapshot(year));
  }
  return years;
}

}  // namespace demo
