#include "tool/Options.h"

#include <algorithm>

namespace tool {

std::optional<Options> ParseOptions(const Arguments& args, std::initializer_list<std::string_view> withValue,
                                    std::initializer_list<std::string_view> flags) {
  Options options;
  auto among = [](std::initializer_list<std::string_view> names, const std::string& arg) {
    return std::find(names.begin(), names.end(), arg) != names.end();
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (among(withValue, arg) && i + 1 < args.size())
      options.values[arg] = args[++i];
    else if (among(flags, arg))
      options.flags.insert(arg);
    else if (!arg.empty() && arg[0] == '-')
      return std::nullopt;
    else
      options.rest.push_back(arg);
  }
  return options;
}

}  // namespace tool
