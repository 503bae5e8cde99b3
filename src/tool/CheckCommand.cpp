#include <iostream>

#include "tool/Commands.h"
#include "tool/FileCheck.h"
#include "world/Cp1251.h"
#include "world/FileError.h"
#include "world/TextReader.h"

namespace tool {

int CheckCommand(const Arguments& args) {
  for (const std::string& file : args)
    if (!FileKindOf(file)) {
      std::cerr << "tirmagor-tool check: " << file
                << ": unknown file type (expected .tvk, .dat or .pal)\n";
      return ExitUsage;
    }

  bool allClean = true;
  for (const std::string& file : args) {
    std::vector<Problem> problems;
    try {
      problems = CheckFileBytes(*FileKindOf(file), world::ReadWholeFile(file));
    } catch (const world::FileError& e) {
      std::cout << file << ": " << e.what() << "\n";
      allClean = false;
      continue;
    }
    for (const Problem& problem : problems)
      std::cout << file << ":" << problem.line << ": " << world::Cp1251ToUtf8(problem.message)
                << "\n";
    if (problems.empty())
      std::cout << file << ": ok\n";
    else
      std::cout << file << ": " << problems.size()
                << (problems.size() == 1 ? " problem\n" : " problems\n");
    allClean = allClean && problems.empty();
  }
  return allClean ? ExitOk : ExitFailed;
}

}  // namespace tool
