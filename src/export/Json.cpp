#include "export/Json.h"

#include <cstdio>
#include <iostream>

#include "world/Cp1251.h"

namespace exporting {

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (uint8_t(c) < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", unsigned(uint8_t(c)));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonCp1251String(std::string_view bytes) {
  return JsonString(world::Cp1251ToUtf8(bytes));
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view rawJson) {
  if (text_.size() > 1) text_ += ", ";
  text_ += JsonString(key);
  text_ += ": ";
  text_ += rawJson;
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, long long number) {
  return Add(key, std::to_string(number));
}

JsonArray& JsonArray::Add(std::string_view rawJson) {
  if (text_.size() > 1) text_ += ", ";
  text_ += rawJson;
  return *this;
}

JsonArray& JsonArray::Add(long long number) { return Add(std::to_string(number)); }

}  // namespace exporting
