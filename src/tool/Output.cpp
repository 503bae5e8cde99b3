#include "tool/Output.h"

#include <iostream>

#include "tool/Commands.h"

namespace tool {

int PrintResult(exporting::Json json, const std::optional<std::string>& error) {
  if (error) json["error"] = *error;
  std::cout << exporting::JsonText(json) << "\n";
  if (!error) return ExitOk;
  std::cerr << *error << "\n";
  return ExitFailed;
}

}  // namespace tool
