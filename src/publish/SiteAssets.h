#pragma once
// The page's own files, built into the program so that the tool needs nothing installed beside it.

#include <cstddef>
#include <string_view>

namespace publish {

struct SiteAsset {
  const char* name;  // its name in the site folder
  const unsigned char* bytes;
  size_t size;
  std::string_view text() const { return {reinterpret_cast<const char*>(bytes), size}; }
};

extern const SiteAsset SiteAssets[];
extern const size_t SiteAssetCount;

}  // namespace publish
