#pragma once
// How a reading command reports: its JSON on standard output, its error on standard error.

#include <optional>
#include <string>

#include "export/Json.h"
#include "world/FileError.h"

namespace tool {

// Runs `read` and gives the text of the file error it ended with, if any, for PrintResult.
template <typename Read>
std::optional<std::string> ErrorOfRead(Read&& read) {
  try {
    read();
  } catch (const world::FileError& e) {
    return e.what();
  }
  return std::nullopt;
}

// Writes `json` and a line end to standard output; after a failed read adds its "error"
// member, writes the error text to standard error and returns the failure status.
int PrintResult(exporting::Json json, const std::optional<std::string>& error);

}  // namespace tool
