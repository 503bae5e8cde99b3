#pragma once
// Writes the bundled demo world: everything the editor reads at start-up, an epoch of turn
// files and a second palette. The same source always gives the same bytes.

#include <filesystem>
#include <string_view>

namespace demo {

// Creates the folder if needed and (re)writes the demo's files in it.
void WriteDemoWorld(const std::filesystem::path& folder);

// The path of a UTF-8 file name ("Год17.tvk").
std::filesystem::path Utf8Path(std::string_view utf8);

}  // namespace demo
