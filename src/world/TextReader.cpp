#include "world/TextReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "world/FileError.h"

namespace world {
namespace {

constexpr char kCtrlZ = 26;
constexpr size_t kMaxTokenLength = 32;

bool IsBlank(char c) { return uint8_t(c) <= 32; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> ReadWholeFileUpTo(const std::filesystem::path& fileName, uint64_t limit) {
  // Not blocking, so that a named pipe cannot hang the open; only a regular file is read at
  // all, since a pipe or a device such as /dev/zero may never end.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw FileError::FromErrno(errno, fileName);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    throw FileError::Io(IoAccessDenied);
  }
  std::optional<std::string> data;
  if (uint64_t(info.st_size) <= limit) {
    data.emplace();
    data->reserve(size_t(info.st_size));
  }
  char buffer[65536];
  while (data) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw FileError::FromErrno(err, fileName);
    }
    if (data->size() + uint64_t(n) > limit)
      data.reset();  // it grew while being read
    else
      data->append(buffer, size_t(n));
  }
  ::close(fd);
  return data;
}

std::string ReadWholeFile(const std::filesystem::path& fileName) {
  return *ReadWholeFileUpTo(fileName, UINT64_MAX);
}

TextReader::TextReader(const std::filesystem::path& fileName) { SetData(ReadWholeFile(fileName)); }

TextReader TextReader::FromBytes(std::string bytes) {
  TextReader reader;
  reader.SetData(std::move(bytes));
  return reader;
}

void TextReader::SetData(std::string bytes) {
  data_ = std::move(bytes);
  pos_ = 0;
  end_ = data_.find(kCtrlZ);
  if (end_ == std::string::npos) end_ = data_.size();
  line_ = 1;
}

bool TextReader::AtEnd() const { return pos_ >= end_; }

bool TextReader::OnlyBlanksRemain() const {
  for (size_t p = pos_; p < end_; ++p)
    if (!IsBlank(data_[p])) return false;
  return true;
}

size_t TextReader::PassLine() {
  while (pos_ < end_ && data_[pos_] != '\r') ++pos_;
  const size_t textEnd = pos_;
  if (pos_ < end_) {
    ++pos_;
    ++line_;
    if (pos_ < end_ && data_[pos_] == '\n') ++pos_;
  }
  return textEnd;
}

std::string TextReader::ReadLine() {
  const size_t start = pos_;
  const size_t textEnd = PassLine();
  return data_.substr(start, textEnd - start);
}

void TextReader::SkipLine() { PassLine(); }

int32_t TextReader::ReadInteger() {
  while (pos_ < end_ && IsBlank(data_[pos_])) {
    if (data_[pos_] == '\r') ++line_;
    ++pos_;
  }
  if (pos_ >= end_) return 0;
  const size_t start = pos_;
  while (pos_ < end_ && !IsBlank(data_[pos_]) && pos_ - start < kMaxTokenLength) ++pos_;
  int32_t value;
  if (!ParseInteger(std::string_view(data_).substr(start, pos_ - start), value))
    throw FileError::Io(IoInvalidNumeric);
  return value;
}

int TextReader::LineNumber() const { return line_; }

bool ParseInteger(std::string_view token, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  const bool hex = i < token.size() && token[i] == '$';
  if (hex) ++i;
  if (i == token.size()) return false;
  // Magnitudes are kept just past the 32-bit limit so that long digit runs cannot overflow.
  const int64_t limit = negative ? int64_t(1) << 31 : (int64_t(1) << 31) - 1;
  int64_t magnitude = 0;
  for (; i < token.size(); ++i) {
    const int digit = hex ? HexDigitValue(token[i]) : (IsDigit(token[i]) ? token[i] - '0' : -1);
    if (digit < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + digit;
    if (magnitude > limit) return false;
  }
  value = int32_t(negative ? -magnitude : magnitude);
  return true;
}

int32_t LenientInteger(std::string_view text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return 0;
  text.remove_prefix(i);
  int32_t exact;
  if (ParseInteger(text, exact)) return exact;
  i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  uint32_t value = 0;  // wraps modulo 2^32, as the result ends in a byte anyway
  for (; i < text.size() && IsDigit(text[i]); ++i) value = value * 10 + uint32_t(text[i] - '0');
  return int32_t(value);
}

}  // namespace world
