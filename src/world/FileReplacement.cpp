#include "world/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "world/FileError.h"

namespace world {

namespace fs = std::filesystem;

namespace {

// A new file gets the permissions an ordinary create would give it.
mode_t DefaultFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

FileReplacement::FileReplacement(const fs::path& target) {
  if (target.empty() || !target.has_filename()) throw FileError::Io(IoInvalidFilename);
  std::error_code ec;
  const fs::path resolved = fs::is_symlink(target, ec) ? fs::weakly_canonical(target, ec) : target;
  target_ = resolved.empty() ? target : resolved;

  const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
  struct stat folderInfo;
  if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
    throw FileError::Io(IoInvalidFilename);
  if ((folderInfo.st_mode & 0222) == 0) throw FileError::Io(IoAccessDenied);

  mode_ = DefaultFileMode();
  struct stat old;
  replacing_ = ::stat(target_.c_str(), &old) == 0;
  if (replacing_) {
    if (S_ISDIR(old.st_mode) || (old.st_mode & 0222) == 0) throw FileError::Io(IoAccessDenied);
    mode_ = old.st_mode & 0777;
    owner_ = old.st_uid;
    group_ = old.st_gid;
  }

  std::string name = (folder / ("." + target_.filename().string() + ".XXXXXX")).string();
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) throw FileError::FromErrno(errno, target_);
  temporary_ = name;
}

FileReplacement::~FileReplacement() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(temporary_.c_str());
}

void FileReplacement::Fail(int err) {
  ::close(fd_);
  fd_ = -1;
  ::unlink(temporary_.c_str());
  throw FileError::FromErrno(err, target_);
}

void FileReplacement::Write(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail(errno);
    if (n == 0) Fail(ENOSPC);
    bytes += n;
    size -= size_t(n);
  }
}

void FileReplacement::Commit(Sync sync) {
  if (::fchmod(fd_, mode_) != 0) Fail(errno);
  // Keeping the owner works only for root; anyone else had the file theirs to replace.
  if (replacing_ && ::fchown(fd_, owner_, group_) != 0 && errno != EPERM) Fail(errno);
  if (sync == Sync::Now && ::fsync(fd_) != 0) Fail(errno);
  const int closed = ::close(fd_);
  const int closeError = errno;
  fd_ = -1;
  if (closed != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    const int err = closed != 0 ? closeError : errno;
    ::unlink(temporary_.c_str());
    throw FileError::FromErrno(err, target_);
  }
}

void ReplaceFile(const std::filesystem::path& target, const void* data, size_t size, Sync sync) {
  FileReplacement file(target);
  file.Write(data, size);
  file.Commit(sync);
}

void SyncFileSystem(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError::FromErrno(errno, path);
  const int synced = ::syncfs(fd);
  const int err = errno;
  ::close(fd);
  if (synced != 0) throw FileError::FromErrno(err, path);
}

}  // namespace world
