#pragma once
// A grammar pass over the game's text files, separate from the readers: where the readers take
// whatever they are given, this reports every place that leaves the written form.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tool {

struct Problem {
  int line;
  std::string message;
};

enum class FileKind { Turn, Land, Palette };

// By extension, case-insensitive: .tvk, .dat, .pal.
std::optional<FileKind> FileKindOf(const std::filesystem::path& file);

// The problems of a file's bytes, in line order.
std::vector<Problem> CheckFileBytes(FileKind kind, const std::string& bytes);

}  // namespace tool
