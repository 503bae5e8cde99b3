#include "tool/Output.h"

#include <iostream>

#include "tool/Commands.h"

namespace tool {

int PrintResult(exporting::JsonObject json, const std::optional<std::string>& error) {
  if (error) json.Add("error", exporting::JsonString(*error));
  std::cout << json.str() << "\n";
  if (!error) return ExitOk;
  std::cerr << *error << "\n";
  return ExitFailed;
}

}  // namespace tool
