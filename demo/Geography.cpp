#include "Geography.h"

#include <algorithm>
#include <array>
#include <climits>
#include <queue>
#include <stdexcept>
#include <tuple>

#include "Random.h"
#include "world/Cp1251.h"

namespace demo {
namespace {

using world::MapHeight;
using world::MapWidth;

template <typename T>
using Grid = std::array<std::array<T, MapHeight + 1>, MapWidth + 1>;

struct Point {
  int x = 0;
  int y = 0;
};

// Land names run roughly from the cold north to the warm south, since keys go in reading order.
constexpr std::array LandNames = {
    "Ледяной мыс",        "Вьюжный край",       "Седые холмы",      "Белозёрье",
    "Волчья грива",       "Соколиный кряж",     "Кедровый перевал", "Сосновая глушь",
    "Медвежий угол",      "Клюквенные мхи",     "Мшистые скалы",    "Орлиное гнездо",
    "Чернолесье",         "Туманная пустошь",   "Каменная гряда",   "Рудные горы",
    "Высокий острог",     "Журавлиная гать",    "Гремучий ручей",   "Ольховый край",
    "Вересковая марка",   "Серебряный бор",     "Синий камень",     "Княжий удел",
    "Старый брод",        "Ясеневая роща",      "Дубрава",          "Лисья падь",
    "Звонкие ключи",      "Ветреный утёс",      "Сумрачная долина", "Тёмная топь",
    "Ржавые болота",      "Зелёный дол",        "Красногорье",      "Вольные луга",
    "Гусиный луг",        "Тихая заводь",       "Горелый лес",      "Багряный лес",
    "Рыбачья слобода",    "Тополиный остров",   "Ясногорье",        "Дальняя застава",
    "Золотая нива",       "Ковыльная степь",    "Полынное поле",    "Песчаная коса",
    "Медовые холмы",      "Виноградный склон",  "Тёплый берег",     "Солнечная гавань",
};
constexpr std::array SeaNames = {"Северное море", "Южное море", "Западный океан", "Восточный океан"};
constexpr std::array LakeNames = {"Зеркальное озеро", "Тихое озеро", "Лебединое озеро", "Глубокое озеро",
                                  "Чёрное озеро", "Светлое озеро"};

// Keys are printable characters, so that the grid rows of the land file read as a map.
constexpr std::string_view LandKeys = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::string_view WaterKeys = "123456789";

constexpr int MinLandSeedDistance = 9;
constexpr int MaxSpacedLandSeeds = 46;
constexpr int SmallestIsland = 8;  // cells; smaller islands sink
constexpr int SmallestLake = 6;    // cells; smaller lakes are filled

// Deposits of the four cell mine kinds (silver, gold, mithril, dragon).
constexpr std::array<int, world::MineKindCount + 1> DepositCounts = {0, 16, 12, 7, 5};
constexpr int MinDepositDistance = 4;

bool InMap(int x, int y) { return world::IsOnMap(x, y); }

constexpr std::array<Point, 4> Sides = {{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};

int Distance2(Point a, Point b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }

// Value noise: random values on a lattice `step` cells apart, smoothly interpolated. Integer
// arithmetic only, so that the result cannot depend on the floating-point unit.
class ValueNoise {
 public:
  ValueNoise(Random& random, int step) : step_(step), columns_(MapWidth / step + 2), rows_(MapHeight / step + 2) {
    values_.resize(size_t(columns_ * rows_));
    for (int& value : values_) value = random.Below(1024);
  }
  int At(int x, int y) const {  // 0 .. 1023
    int gx = x / step_, gy = y / step_;
    int fx = Smooth(x % step_), fy = Smooth(y % step_);
    int s = step_;
    int64_t sum = int64_t(Value(gx, gy)) * (s - fx) * (s - fy) + int64_t(Value(gx + 1, gy)) * fx * (s - fy) +
                  int64_t(Value(gx, gy + 1)) * (s - fx) * fy + int64_t(Value(gx + 1, gy + 1)) * fx * fy;
    return int(sum / (s * s));
  }

 private:
  int Smooth(int f) const { return (3 * f * f * step_ - 2 * f * f * f) / (step_ * step_); }
  int Value(int gx, int gy) const { return values_[size_t(gy * columns_ + gx)]; }
  int step_, columns_, rows_;
  std::vector<int> values_;
};

Grid<bool> MakeLandMask(Random& random) {
  ValueNoise coarse(random, 16), middle(random, 8), fine(random, 4);
  std::vector<int> heights;
  Grid<int> height{};
  for (int x = 1; x <= MapWidth; ++x)
    for (int y = 1; y <= MapHeight; ++y) {
      int h = 4 * coarse.At(x, y) + 3 * middle.At(x, y) + 2 * fine.At(x, y);
      // Lower the land towards the map's edges, so that the world is a continent in the sea.
      int ex = (2 * x - MapWidth - 1) * 1000 / MapWidth;
      int ey = (2 * y - MapHeight - 1) * 1000 / MapHeight;
      h -= (ex * ex + ey * ey) / 1000 * 4;
      height[x][y] = h;
      heights.push_back(h);
    }
  std::vector<int> sorted = heights;
  std::sort(sorted.begin(), sorted.end());
  int seaLevel = sorted[sorted.size() * 50 / 100];
  Grid<bool> land{};
  for (int x = 1; x <= MapWidth; ++x)
    for (int y = 1; y <= MapHeight; ++y)
      land[x][y] = height[x][y] > seaLevel && x > 1 && y > 1 && x < MapWidth && y < MapHeight;
  return land;
}

// Connected components (4-neighbourhood) of the cells where `member` holds.
template <typename Member>
std::vector<std::vector<Point>> Components(Member member) {
  Grid<bool> seen{};
  std::vector<std::vector<Point>> components;
  for (int y = 1; y <= MapHeight; ++y)
    for (int x = 1; x <= MapWidth; ++x) {
      if (seen[x][y] || !member(x, y)) continue;
      std::vector<Point> cells{{x, y}};
      seen[x][y] = true;
      for (size_t i = 0; i < cells.size(); ++i)
        for (Point side : Sides) {
          int nx = cells[i].x + side.x, ny = cells[i].y + side.y;
          if (InMap(nx, ny) && !seen[nx][ny] && member(nx, ny)) {
            seen[nx][ny] = true;
            cells.push_back({nx, ny});
          }
        }
      components.push_back(std::move(cells));
    }
  return components;
}

void RemoveSpecks(Grid<bool>& land) {
  for (const auto& island : Components([&](int x, int y) { return land[x][y]; }))
    if (int(island.size()) < SmallestIsland)
      for (Point p : island) land[p.x][p.y] = false;
  auto waters = Components([&](int x, int y) { return !land[x][y]; });
  auto ocean = std::max_element(waters.begin(), waters.end(),
                                [](const auto& a, const auto& b) { return a.size() < b.size(); });
  for (auto water = waters.begin(); water != waters.end(); ++water)
    if (water != ocean && int(water->size()) < SmallestLake)
      for (Point p : *water) land[p.x][p.y] = true;
}

// Grows regions from their seeds over the cells where `member` holds, each step to the
// cheapest cell next to a region: random cell costs give the borders a natural wobble.
template <typename Member>
void GrowRegions(Grid<int>& owner, const std::vector<Point>& seeds, Member member, Random& random) {
  Grid<int> cost{};
  for (int x = 1; x <= MapWidth; ++x)
    for (int y = 1; y <= MapHeight; ++y) cost[x][y] = random.Between(2, 5);
  Grid<int> distance{};
  for (auto& column : distance) column.fill(INT_MAX);
  using Entry = std::tuple<int, int, int, int, int>;  // distance, order, x, y, region
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> frontier;
  int order = 0;
  for (size_t region = 0; region < seeds.size(); ++region) {
    Point seed = seeds[region];
    distance[seed.x][seed.y] = 0;
    frontier.emplace(0, order++, seed.x, seed.y, int(region));
  }
  while (!frontier.empty()) {
    auto [d, unusedOrder, x, y, region] = frontier.top();
    (void)unusedOrder;
    frontier.pop();
    if (d > distance[x][y] || owner[x][y] >= 0) continue;
    owner[x][y] = region;
    for (Point side : Sides) {
      int nx = x + side.x, ny = y + side.y;
      if (!InMap(nx, ny) || !member(nx, ny) || owner[nx][ny] >= 0) continue;
      int nd = d + cost[nx][ny];
      if (nd < distance[nx][ny]) {
        distance[nx][ny] = nd;
        frontier.emplace(nd, order++, nx, ny, region);
      }
    }
  }
}

std::vector<Point> PickLandSeeds(const Grid<bool>& land, Random& random) {
  std::vector<Point> candidates;
  for (int y = 1; y <= MapHeight; ++y)
    for (int x = 1; x <= MapWidth; ++x)
      if (land[x][y]) candidates.push_back({x, y});
  random.Shuffle(candidates);
  std::vector<Point> seeds;
  for (Point candidate : candidates) {
    if (int(seeds.size()) == MaxSpacedLandSeeds) break;
    bool spaced = std::all_of(seeds.begin(), seeds.end(), [&](Point seed) {
      return Distance2(seed, candidate) >= MinLandSeedDistance * MinLandSeedDistance;
    });
    if (spaced) seeds.push_back(candidate);
  }
  // Every island gets a land of its own, however small.
  Grid<bool> seeded{};
  for (Point seed : seeds) seeded[seed.x][seed.y] = true;
  for (const auto& island : Components([&](int x, int y) { return land[x][y]; })) {
    if (std::any_of(island.begin(), island.end(), [&](Point p) { return seeded[p.x][p.y]; })) continue;
    seeds.push_back(island[island.size() / 2]);
  }
  return seeds;
}

// For each region the cell farthest (in steps) from any cell of another region or the map edge.
void FindInteriors(std::vector<Region>& regions, const Grid<int>& regionOf) {
  Grid<int> depth{};
  for (auto& column : depth) column.fill(-1);
  std::vector<Point> queue;
  for (int x = 1; x <= MapWidth; ++x)
    for (int y = 1; y <= MapHeight; ++y)
      for (Point side : Sides) {
        int nx = x + side.x, ny = y + side.y;
        if (!InMap(nx, ny) || regionOf[nx][ny] != regionOf[x][y]) {
          depth[x][y] = 0;
          queue.push_back({x, y});
          break;
        }
      }
  for (size_t i = 0; i < queue.size(); ++i)
    for (Point side : Sides) {
      Point p = queue[i];
      int nx = p.x + side.x, ny = p.y + side.y;
      if (InMap(nx, ny) && depth[nx][ny] < 0) {
        depth[nx][ny] = depth[p.x][p.y] + 1;
        queue.push_back({nx, ny});
      }
    }
  std::vector<int> best(regions.size(), -1);
  for (int y = 1; y <= MapHeight; ++y)
    for (int x = 1; x <= MapWidth; ++x) {
      int r = regionOf[x][y];
      if (depth[x][y] > best[size_t(r)]) {
        best[size_t(r)] = depth[x][y];
        regions[size_t(r)].interiorX = x;
        regions[size_t(r)].interiorY = y;
      }
    }
}

void PlaceDeposits(Geography& geography, Random& random) {
  std::vector<Point> candidates;
  for (int y = 1; y <= MapHeight; ++y)
    for (int x = 1; x <= MapWidth; ++x)
      if (!geography.IsSea(x, y)) candidates.push_back({x, y});
  random.Shuffle(candidates);
  std::vector<Point> placed;
  size_t next = 0;
  for (int kind = 1; kind <= world::MineKindCount; ++kind)
    for (int count = 0; count < DepositCounts[size_t(kind)]; ++count) {
      while (next < candidates.size() && std::any_of(placed.begin(), placed.end(), [&](Point p) {
               return Distance2(p, candidates[next]) < MinDepositDistance * MinDepositDistance;
             }))
        ++next;
      if (next == candidates.size()) throw std::runtime_error("no room for the demo's cell mines");
      Point cell = candidates[next++];
      placed.push_back(cell);
      geography.world.cells[cell.x][cell.y].mine = uint8_t(kind);
    }
}

}  // namespace

void Geography::IndexRegions() {
  regionOfKey.fill(-1);
  for (size_t i = 0; i < regions.size(); ++i) regionOfKey[regions[i].key] = int16_t(i);
}

// Every pixel of the map picture asks, so the region is looked up by its key, not searched for.
const Region& Geography::RegionAt(int x, int y) const {
  const int16_t index = regionOfKey[world.cells[x][y].land];
  if (index < 0) throw std::logic_error("cell without a region");
  return regions[size_t(index)];
}

bool Geography::TouchesSea(int x, int y) const {
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      if (InMap(x + dx, y + dy) && IsSea(x + dx, y + dy)) return true;
  return false;
}

bool Geography::TouchesLand(int x, int y) const {
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      if (InMap(x + dx, y + dy) && !IsSea(x + dx, y + dy)) return true;
  return false;
}

int Geography::LandCount() const {
  return int(std::count_if(regions.begin(), regions.end(), [](const Region& r) { return !r.sea; }));
}

Geography MakeGeography() {
  Random random(0x7469726D61676F72ull);  // "tirmagor"
  Grid<bool> land = MakeLandMask(random);
  RemoveSpecks(land);

  // Lands, keyed in the reading order of their seeds.
  std::vector<Point> landSeeds = PickLandSeeds(land, random);
  std::sort(landSeeds.begin(), landSeeds.end(), [](Point a, Point b) { return std::tie(a.y, a.x) < std::tie(b.y, b.x); });
  if (landSeeds.size() > LandKeys.size() || landSeeds.size() > LandNames.size())
    throw std::runtime_error("the demo map has more lands than names");
  Grid<int> regionOf{};
  for (auto& column : regionOf) column.fill(-1);
  GrowRegions(regionOf, landSeeds, [&](int x, int y) { return land[x][y]; }, random);

  // The four seas grow from the middles of the map's edges; waters they cannot reach are lakes.
  std::vector<Point> waterSeeds = {{MapWidth / 2, 1}, {MapWidth / 2, MapHeight}, {1, MapHeight / 2}, {MapWidth, MapHeight / 2}};
  Grid<int> waterOf{};
  for (auto& column : waterOf) column.fill(-1);
  GrowRegions(waterOf, waterSeeds, [&](int x, int y) { return !land[x][y]; }, random);
  size_t seaCount = waterSeeds.size();
  for (const auto& lake : Components([&](int x, int y) { return !land[x][y] && waterOf[x][y] < 0; })) {
    if (waterSeeds.size() - seaCount >= LakeNames.size()) throw std::runtime_error("the demo map has too many lakes");
    for (Point p : lake) waterOf[p.x][p.y] = int(waterSeeds.size());
    waterSeeds.push_back(lake.front());
  }

  Geography geography;
  for (size_t i = 0; i < landSeeds.size(); ++i) {
    Region region;
    region.key = uint8_t(LandKeys[i]);
    region.name = LandNames[i];
    geography.regions.push_back(region);
  }
  for (size_t i = 0; i < waterSeeds.size(); ++i) {
    Region region;
    region.key = uint8_t(WaterKeys[i]);
    region.name = i < seaCount ? SeaNames[i] : LakeNames[i - seaCount];
    region.sea = true;
    region.lake = i >= seaCount;
    geography.regions.push_back(region);
  }
  geography.IndexRegions();
  Grid<int> regionIndex{};
  for (int x = 1; x <= MapWidth; ++x)
    for (int y = 1; y <= MapHeight; ++y) {
      int index = land[x][y] ? regionOf[x][y] : int(landSeeds.size()) + waterOf[x][y];
      regionIndex[x][y] = index;
      Region& region = geography.regions[size_t(index)];
      geography.world.cells[x][y].land = region.key;
      ++region.cellCount;
    }
  FindInteriors(geography.regions, regionIndex);
  PlaceDeposits(geography, random);

  std::vector<int> depositsOf(geography.regions.size(), 0);
  for (int x = 1; x <= MapWidth; ++x)
    for (int y = 1; y <= MapHeight; ++y)
      if (geography.world.cells[x][y].mine != 0) ++depositsOf[size_t(regionIndex[x][y])];
  for (size_t i = 0; i < geography.regions.size(); ++i) {
    Region& region = geography.regions[i];
    if (!region.sea) region.income = 3 + region.cellCount / 14 + 2 * depositsOf[i] + random.Between(0, 3);
    std::string name = world::Utf8ToCp1251(region.name);
    if (world::Cp1251ToUtf8(name) != region.name) throw std::runtime_error("name outside Windows-1251: " + region.name);
    geography.world.lands[region.key].name = name;
    geography.world.lands[region.key].income = region.income;
  }
  return geography;
}

}  // namespace demo
