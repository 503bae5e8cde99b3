#include "world/FileName.h"

#include <algorithm>
#include <string>

namespace world {

bool HasExtension(const std::filesystem::path& file, std::string_view extension) {
  const std::string own = file.extension().string();
  auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c); };
  return std::equal(own.begin(), own.end(), extension.begin(), extension.end(),
                    [&](char a, char b) { return lower(a) == lower(b); });
}

}  // namespace world
