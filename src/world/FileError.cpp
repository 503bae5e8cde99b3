#include "world/FileError.h"

#include <cerrno>
#include <system_error>

namespace world {

std::string FileError::IoText(int code) {
  switch (code) {
    case IoFileNotFound: return "File not found";
    case IoInvalidFilename: return "Invalid filename";
    case IoTooManyOpenFiles: return "Too many open files";
    case IoAccessDenied: return "File access denied";
    case IoReadBeyondEnd: return "Read beyond end of file";
    case IoDiskFull: return "Disk full";
    case IoInvalidNumeric: return "Invalid numeric input";
    default: return "I/O error " + std::to_string(code);
  }
}

FileError FileError::Io(int code) { return FileError(IoText(code), code); }

FileError FileError::FromErrno(int err) {
  switch (err) {
    case ENOENT: return Io(IoFileNotFound);
    case ENAMETOOLONG:
    case EINVAL: return Io(IoInvalidFilename);
    case EMFILE:
    case ENFILE: return Io(IoTooManyOpenFiles);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return Io(IoAccessDenied);
    case ENOSPC:
    case EDQUOT: return Io(IoDiskFull);
    // Spelt out rather than looked up: Linux numbers such as EIO (5) coincide with game codes.
    default: return FileError("I/O error " + std::to_string(err), err);
  }
}

FileError FileError::CannotCreate(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return FileError("Cannot create file " + std::string(name.begin(), name.end()));
}

FileError FileError::FromErrno(int err, const std::filesystem::path& path) {
  if (err == ENOENT || err == ENOTDIR) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return Io(IoInvalidFilename);
    if (err == ENOTDIR) return Io(IoFileNotFound);
  }
  return FromErrno(err);
}

}  // namespace world
