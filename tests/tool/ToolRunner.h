#pragma once
// Runs the built tirmagor-tool in a scratch folder and collects what it printed.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "world/TestFiles.h"

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class Tool : public testing::Test {
 protected:
  // Runs the tool in the scratch folder with the given argument text.
  ToolRun RunTool(const std::string& arguments) {
    const std::string command = "cd '" + dir.path().string() + "' && '" TIRMAGOR_TOOL "' " +
                                arguments + " >.out 2>.err";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testing_files::ReadBytes(dir / ".out"),
            testing_files::ReadBytes(dir / ".err")};
  }

  testing_files::TempDir dir;
};
