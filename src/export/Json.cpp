#include "export/Json.h"

#include "world/Cp1251.h"

namespace exporting {

std::string JsonText(const Json& value) {
  const std::string compact = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  // nlohmann-json writes no blank after a separator: one goes after every comma and colon that
  // is not inside a string.
  std::string text;
  text.reserve(compact.size() + compact.size() / 4);
  bool inString = false, escaped = false;
  for (const char c : compact) {
    text += c;
    if (inString) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == ',' || c == ':') {
      text += ' ';
    }
  }
  return text;
}

Json NameJson(std::string_view cp1251) { return world::Cp1251ToUtf8(cp1251); }

}  // namespace exporting
