#pragma once
// A small strict JSON reader, so that the tool's output is checked as JSON and not as text.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct JsonValue {
  enum class Type { Null, Number, String, Array, Object } type = Type::Null;
  double number = 0;
  std::string string;
  std::vector<JsonValue> array;
  std::map<std::string, JsonValue> object;

  const JsonValue& operator[](const std::string& key) const { return object.at(key); }
  const JsonValue& operator[](size_t index) const { return array.at(index); }
  int Int() const { return int(number); }
  bool Has(const std::string& key) const { return object.count(key) != 0; }
};

// Throws std::runtime_error on anything that is not one complete JSON value.
JsonValue ParseJson(std::string_view text);
