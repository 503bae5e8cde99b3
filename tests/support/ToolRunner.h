#pragma once
// Runs the built tirmagor-tool in a scratch folder and collects what it printed.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "ScratchFolder.h"

namespace test_support {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
  bool operator==(const ToolRun&) const = default;
};

inline void PrintTo(const ToolRun& run, std::ostream* out) {
  *out << "{status " << run.status << ", out \"" << run.out << "\", err \"" << run.err << "\"}";
}

// Runs the tool in `folder` with the given argument text, as a shell would.
inline ToolRun RunTool(const fs::path& folder, const std::string& arguments) {
  const std::string command = "cd '" + folder.string() + "' && '" TIRMAGOR_TOOL "' " + arguments + " >.out 2>.err";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(folder / ".out"), ReadBytes(folder / ".err")};
}

class Tool : public testing::Test {
 protected:
  ToolRun RunTool(const std::string& arguments) { return test_support::RunTool(dir.path(), arguments); }
  ScratchFolder dir;
};

}  // namespace test_support

using test_support::Tool;
using test_support::ToolRun;
