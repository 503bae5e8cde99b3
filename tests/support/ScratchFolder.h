#pragma once
// A scratch folder of each test's own, byte-exact files, and the error texts the readers raise.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include "world/Cp1251.h"
#include "world/FileError.h"

namespace test_support {

namespace fs = std::filesystem;

inline std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// Every entry under a folder: files with their bytes, anything else as such; to tell whether a
// command that failed left a folder alone.
inline std::map<std::string, std::string> ContentsOf(const fs::path& folder) {
  std::map<std::string, std::string> contents;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
    contents[fs::relative(entry.path(), folder).string()] = entry.is_regular_file() ? ReadBytes(entry.path()) : "<not a file>";
  return contents;
}

// Made anew under the system's temporary folder and removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "tirmagor-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    // Open to others as a folder made with the usual mask is, for tests that drop to another user.
    fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / name; }
  fs::path Write(std::string_view name, std::string_view bytes) const {
    WriteBytes(path_ / name, bytes);
    return path_ / name;
  }

 private:
  fs::path path_;
};

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

}  // namespace test_support
