#pragma once
// The application icon as PNG files, for the desktop's icon theme.

#include <filesystem>

namespace demo {

// Writes the application icon as <folder>/<n>x<n>/apps/tirmagor-editor.png for the usual sizes.
void WriteAppIcons(const std::filesystem::path& folder);

}  // namespace demo
