#include "publish/Publish.h"

#include <algorithm>
#include <numeric>

#include "publish/SiteAssets.h"
#include "export/SiteData.h"
#include "publish/SiteFolder.h"
#include "export/EpochRenderer.h"
#include "world/FileError.h"
#include "world/FileReplacement.h"

namespace publish {

namespace fs = std::filesystem;

namespace {

// The title goes into the page as text; control characters have no place in it.
std::string HtmlText(std::string_view text) {
  std::string html;
  for (char c : text) {
    switch (c) {
      case '&': html += "&amp;"; break;
      case '<': html += "&lt;"; break;
      case '>': html += "&gt;"; break;
      case '"': html += "&quot;"; break;
      case '\'': html += "&#39;"; break;
      default:
        if (uint8_t(c) >= 0x20 && c != 0x7F) html += c;
    }
  }
  return html;
}

std::string ReplaceAll(std::string text, std::string_view placeholder, const std::string& value) {
  for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size()))
    text.replace(at, placeholder.size(), value);
  return text;
}

void WriteSiteFile(const fs::path& path, const std::string& bytes) {
  world::ReplaceFile(path, bytes.data(), bytes.size(), world::Sync::Later);
}

struct SortedTurns {
  exporting::Years years;
  std::vector<fs::path> files;  // of years[i]
};

// Reads every turn and puts them in order of year; a year given twice would leave the site two
// pictures for one place on its slider.
SortedTurns ReadTurns(const std::vector<fs::path>& files) {
  exporting::Years read;
  for (const fs::path& file : files) {
    try {
      read.push_back(chronicle::ReadTurn(file));
    } catch (const world::FileError& e) {
      throw world::FileError(file.string() + ": " + e.what(), e.code());
    }
  }
  std::vector<size_t> order(files.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return read[a].world->Year < read[b].world->Year; });
  SortedTurns sorted;
  for (size_t i : order) {
    if (!sorted.years.empty() && sorted.years.back().world->Year == read[i].world->Year)
      throw world::FileError(sorted.files.back().string() + " and " + files[i].string() + ": both are year " +
                             std::to_string(read[i].world->Year));
    sorted.years.push_back(std::move(read[i]));
    sorted.files.push_back(files[i]);
  }
  return sorted;
}

void WritePage(const fs::path& folder, const std::string& title) {
  for (size_t i = 0; i < SiteAssetCount; ++i) {
    const SiteAsset& asset = SiteAssets[i];
    std::string bytes(asset.text());
    if (std::string_view(asset.name) == "index.html") bytes = ReplaceAll(bytes, "@TITLE@", HtmlText(title));
    WriteSiteFile(folder / asset.name, bytes);
  }
}

}  // namespace

std::string DefaultTitle(const fs::path& worldDir) {
  std::error_code ec;
  const fs::path folder = fs::weakly_canonical(fs::absolute(worldDir.empty() ? fs::path(".") : worldDir), ec);
  const std::string name = folder.filename().string();
  return name.empty() ? "Tirmagor" : name;
}

void PublishSite(const SiteRequest& request) {
  const SortedTurns turns = ReadTurns(request.turns);
  SiteFolder folder(request.site);
  const fs::path& staging = folder.Staging();
  // Start-up reads the land file, the map picture and the palette the pictures are drawn with,
  // which the data shares, then renders its share of the years.
  exporting::EpochRenderer first(request.worldDir, request.palette);
  const editor::Editor& editor = first.editor();
  const exporting::SiteWorld world{request.title.value_or(DefaultTitle(request.worldDir)), &editor.World, &editor.scene.Palette,
                        editor.scene.ComposedMap.Width(), editor.scene.ComposedMap.Height(), editor.scene.CellSize};

  for (const char* sub : {"maps", "data"}) {
    std::error_code ec;
    if (!fs::create_directory(staging / sub, ec)) throw world::FileError::CannotCreate(staging / sub);
  }
  WritePage(staging, world.title);
  WriteSiteFile(staging / "data" / "epoch.js", exporting::EpochScript(world, turns.years));
  std::vector<fs::path> pictures;
  for (size_t i = 0; i < turns.years.size(); ++i) {
    const int32_t year = turns.years[i].world->Year;
    WriteSiteFile(staging / exporting::DataFileName(year), exporting::YearScript(turns.years, i));
    pictures.push_back(staging / exporting::MapFileName(year));
  }

  const auto errors = exporting::RenderEpoch(first, request.worldDir, request.palette, turns.years, pictures);
  for (size_t i = 0; i < errors.size(); ++i)
    if (errors[i]) throw world::FileError(turns.files[i].string() + ": " + *errors[i]);
  folder.Commit();
}

}  // namespace publish
