#pragma once
// tirmagor-tool publish: an epoch as a static web site that any browser opens, from a file or a
// server: the map of every year, what stands on each cell, what changed and how the players grew.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace publish {

struct SiteRequest {
  std::filesystem::path worldDir;  // the start-up files; empty = the working directory
  std::optional<std::filesystem::path> palette;
  std::optional<std::string> title;  // UTF-8; the world folder's name when not given
  std::filesystem::path site;
  std::vector<std::filesystem::path> turns;
};

// Writes the site: the page, one picture per year as `tirmagor-tool render` makes it, and the
// data (see docs/site.md). Replaces an earlier site in the same folder whole, and leaves it as it
// was when anything fails. Throws world::FileError, whose text names the file at fault.
void PublishSite(const SiteRequest& request);

// The page's title when none is given: the name of the world's folder.
std::string DefaultTitle(const std::filesystem::path& worldDir);

}  // namespace publish
