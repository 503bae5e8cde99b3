#pragma once
// A command's arguments split into its options and the rest.

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tool/Commands.h"

namespace tool {

struct Options {
  std::map<std::string, std::string, std::less<>> values;  // option → the argument after it
  std::set<std::string, std::less<>> flags;
  std::vector<std::string> rest;  // in the order given

  std::optional<std::string> Value(std::string_view option) const {
    const auto found = values.find(option);
    return found == values.end() ? std::nullopt : std::optional(found->second);
  }
  bool Has(std::string_view flag) const { return flags.contains(flag); }
};

// Nothing when an argument that starts with '-' is none of the options, or an option that takes
// a value comes last.
std::optional<Options> ParseOptions(const Arguments& args, std::initializer_list<std::string_view> withValue,
                                    std::initializer_list<std::string_view> flags = {});

}  // namespace tool
