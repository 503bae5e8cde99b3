#pragma once
// JSON values for the tool's output and the site's data, built with nlohmann-json. Members keep
// the order they were added in, which scripts reading the output may rely on.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace exporting {

using Json = nlohmann::ordered_json;

// The value on one line with ", " and ": " between items, as the tool has always written it.
// Bytes that are not UTF-8 (a title from the command line, say) become U+FFFD.
std::string JsonText(const Json& value);

// A name as the game's files hold it, in Windows-1251, as a JSON string (UTF-8).
Json NameJson(std::string_view cp1251);

}  // namespace exporting
