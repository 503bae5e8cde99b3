#pragma once
// Conversion between Windows-1251 bytes (what the files hold) and UTF-8 (what the screen and JSON show).

#include <string>
#include <string_view>

namespace world {

std::string Cp1251ToUtf8(std::string_view bytes);
// Characters that Windows-1251 cannot hold become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

}  // namespace world
