#pragma once
// Just enough JSON writing for the tool's output and the site's data: one line, ", " and ": " as separators.

#include <string>
#include <string_view>

namespace exporting {

// A JSON string literal of UTF-8 text; quotes, backslashes and control bytes are escaped.
std::string JsonString(std::string_view utf8);
// The same for Windows-1251 bytes (names as the files hold them).
std::string JsonCp1251String(std::string_view bytes);

// Builds `{"key": value, ...}` one member at a time.
class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view rawJson);
  JsonObject& Add(std::string_view key, long long number);
  std::string str() const { return text_ + "}"; }

 private:
  std::string text_ = "{";
};

// Builds `[a, b, ...]` from raw JSON values.
class JsonArray {
 public:
  JsonArray& Add(std::string_view rawJson);
  JsonArray& Add(long long number);
  std::string str() const { return text_ + "]"; }

 private:
  std::string text_ = "[";
};

}  // namespace exporting
