#pragma once
// Scratch folders, byte-exact files and error texts for the file-format tests.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "world/Cp1251.h"
#include "world/FileError.h"
#include "world/TextReader.h"

namespace testing_files {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tirmagor-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }

  const fs::path& path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / name; }

  fs::path Write(std::string_view name, std::string_view bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
    return path_ / name;
  }

 private:
  fs::path path_;
};

inline std::string ReadBytes(const fs::path& file) { return world::ReadWholeFile(file); }

// Test texts are written in UTF-8 and stored as the Windows-1251 bytes the files hold.
inline std::string Cp(std::string_view utf8) { return world::Utf8ToCp1251(utf8); }

// Joins lines with CR LF after each.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) (text += line) += "\r\n";
  return text;
}

// Runs `action`; returns the text of the FileError it raised, or "" when it succeeded.
template <class Action>
std::string ErrorOf(Action&& action) {
  try {
    action();
  } catch (const world::FileError& e) {
    return e.what();
  }
  return "";
}

}  // namespace testing_files
