#pragma once
// A fingerprint of a picture or a file: FNV-1a over its bytes. The browser tests work out the
// same fingerprint of the page's canvas, so that the two can be compared.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "render/Surface.h"

namespace test_support {

inline uint64_t Fingerprint(const void* data, size_t size, uint64_t hash = 14695981039346656037ull) {
  for (size_t i = 0; i < size; ++i) hash = (hash ^ static_cast<const uint8_t*>(data)[i]) * 1099511628211ull;
  return hash;
}

// Row by row, each pixel as its four bytes in memory: red, green, blue and a zero byte.
inline uint64_t Fingerprint(const render::Surface& surface) {
  uint64_t hash = Fingerprint(&surface, 0);
  for (int y = 0; y < surface.Height(); ++y)
    hash = Fingerprint(surface.Row(y), size_t(surface.Width()) * sizeof(render::Color), hash);
  return hash;
}

inline std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace test_support
