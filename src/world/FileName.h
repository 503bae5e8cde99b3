#pragma once
// What a file's name says of it.

#include <filesystem>
#include <string_view>

namespace world {

// Whether the name's extension is `extension` (".png"), in any case: file names come from
// other systems as often as from ours.
bool HasExtension(const std::filesystem::path& file, std::string_view extension);

}  // namespace world
