#include "JsonValue.h"

#include <cctype>
#include <stdexcept>

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  JsonValue Document() {
    JsonValue value = Value();
    SkipSpace();
    if (pos_ != text_.size()) Fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("JSON: " + what + " at " + std::to_string(pos_));
  }
  void SkipSpace() {
    while (pos_ < text_.size() && std::isspace(uint8_t(text_[pos_]))) ++pos_;
  }
  char Peek() {
    SkipSpace();
    if (pos_ >= text_.size()) Fail("unexpected end");
    return text_[pos_];
  }
  void Expect(char c) {
    if (Peek() != c) Fail(std::string("expected ") + c);
    ++pos_;
  }

  JsonValue Value() {
    const char c = Peek();
    if (c == '{') return Object();
    if (c == '[') return Array();
    if (c == '"') {
      JsonValue value;
      value.type = JsonValue::Type::String;
      value.string = String();
      return value;
    }
    if (c == '-' || std::isdigit(uint8_t(c))) return Number();
    if (text_.substr(pos_, 4) == "null") {
      pos_ += 4;
      return {};
    }
    Fail("unexpected character");
  }

  JsonValue Object() {
    JsonValue value;
    value.type = JsonValue::Type::Object;
    Expect('{');
    if (Peek() == '}') return ++pos_, value;
    for (;;) {
      if (Peek() != '"') Fail("expected a key");
      std::string key = String();
      Expect(':');
      value.object[key] = Value();
      if (Peek() == '}') return ++pos_, value;
      Expect(',');
    }
  }

  JsonValue Array() {
    JsonValue value;
    value.type = JsonValue::Type::Array;
    Expect('[');
    if (Peek() == ']') return ++pos_, value;
    for (;;) {
      value.array.push_back(Value());
      if (Peek() == ']') return ++pos_, value;
      Expect(',');
    }
  }

  JsonValue Number() {
    const size_t start = pos_;
    if (text_[pos_] == '-') ++pos_;
    if (pos_ >= text_.size() || !std::isdigit(uint8_t(text_[pos_]))) Fail("bad number");
    while (pos_ < text_.size() && std::isdigit(uint8_t(text_[pos_]))) ++pos_;
    JsonValue value;
    value.type = JsonValue::Type::Number;
    value.number = std::stod(std::string(text_.substr(start, pos_ - start)));
    return value;
  }

  std::string String() {
    Expect('"');
    std::string out;
    for (;;) {
      if (pos_ >= text_.size()) Fail("unterminated string");
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (uint8_t(c) < 0x20) Fail("raw control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) Fail("unterminated escape");
      const char e = text_[pos_++];
      switch (e) {
        case '"': case '\\': case '/': out += e; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          const unsigned code = std::stoul(std::string(text_.substr(pos_, 4)), nullptr, 16);
          pos_ += 4;
          if (code >= 0x80) Fail("only ASCII \\u escapes are expected");
          out += char(code);
          break;
        }
        default: Fail("bad escape");
      }
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

JsonValue ParseJson(std::string_view text) { return Parser(text).Document(); }
