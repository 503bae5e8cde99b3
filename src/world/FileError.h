#pragma once
// The one kind of error that file operations raise: it carries the text the user is shown.

#include <filesystem>
#include <stdexcept>
#include <string>

namespace world {

// Input/output error codes; any other code is the system's own.
enum IoCode : int {
  IoFileNotFound = 2,
  IoInvalidFilename = 3,
  IoTooManyOpenFiles = 4,
  IoAccessDenied = 5,
  IoReadBeyondEnd = 100,
  IoDiskFull = 101,
  IoInvalidNumeric = 106,
};

class FileError : public std::runtime_error {
 public:
  // An error with its own text (picture errors, table limits); code 0.
  explicit FileError(const std::string& text, int code = 0) : std::runtime_error(text), code_(code) {}

  // An input/output error: the text follows from the code ("File not found", …, "I/O error %d").
  static FileError Io(int code);
  // The input/output error for a failed open/create/write: errno mapped to the codes above.
  static FileError FromErrno(int err);
  // The same for an operation on `path`: a missing file whose folder is missing too is
  // "Invalid filename" rather than "File not found".
  static FileError FromErrno(int err, const std::filesystem::path& path);

  // The one error of a picture or chart that could not be saved, whatever the system's reason.
  static FileError CannotCreate(const std::filesystem::path& path);

  static std::string IoText(int code);
  int code() const { return code_; }

 private:
  int code_;
};

}  // namespace world
