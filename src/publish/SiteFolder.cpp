#include "publish/SiteFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "world/FileError.h"
#include "world/FileReplacement.h"

namespace publish {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const fs::path& path, const std::string& why) { throw world::FileError(path.string() + ": " + why); }

[[noreturn]] void FailErrno(const fs::path& path, int err) {
  Fail(path, world::FileError::FromErrno(err, path).what());
}

bool IsReplaceable(const fs::path& site) {
  std::error_code ec;
  if (fs::exists(site / SiteFolder::MarkerName, ec)) return true;
  return fs::is_empty(site, ec) && !ec;
}

}  // namespace

SiteFolder::SiteFolder(const fs::path& site) {
  std::error_code ec;
  // "." and a trailing separator name the folder itself, which must have a name to be swapped.
  site_ = fs::weakly_canonical(fs::absolute(site), ec);
  if (ec || site_.filename().empty() || site_ == site_.root_path()) Fail(site, "no folder for a site");
  const fs::file_status status = fs::symlink_status(site_, ec);
  if (fs::exists(status)) {
    if (!fs::is_directory(status)) Fail(site, "exists and is not a folder");
    if (!IsReplaceable(site_))
      Fail(site, "a folder that is not a site made by tirmagor-tool publish; name a new or empty folder");
  }
  const fs::path parent = site_.parent_path();
  if (!fs::is_directory(parent, ec)) FailErrno(parent, ENOENT);
  staging_ = parent / ("." + site_.filename().string() + ".publishing-" + std::to_string(::getpid()));
  fs::remove_all(staging_, ec);  // left by a run of the same number that was killed
  if (!fs::create_directory(staging_, ec)) FailErrno(staging_, ec.value());
  const std::string marker = "Made by tirmagor-tool publish: the next publish into this folder replaces it whole.\n";
  try {
    world::ReplaceFile(staging_ / MarkerName, marker.data(), marker.size(), world::Sync::Later);
  } catch (...) {
    fs::remove_all(staging_, ec);  // no destructor runs for a constructor that throws
    throw;
  }
}

SiteFolder::~SiteFolder() {
  std::error_code ec;
  fs::remove_all(staging_, ec);
}

void SiteFolder::Commit() {
  world::SyncFileSystem(staging_);
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(site_, ec))) {
    if (::rename(staging_.c_str(), site_.c_str()) != 0) FailErrno(site_, errno);
  } else if (::renameat2(AT_FDCWD, staging_.c_str(), AT_FDCWD, site_.c_str(), RENAME_EXCHANGE) != 0) {
    // A file system without the exchange: the old site steps aside first and comes back if the
    // new one cannot take its place.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) FailErrno(site_, errno);
    const fs::path aside = staging_.string() + "-old";
    if (::rename(site_.c_str(), aside.c_str()) != 0) FailErrno(site_, errno);
    if (::rename(staging_.c_str(), site_.c_str()) != 0) {
      const int err = errno;
      ::rename(aside.c_str(), site_.c_str());
      FailErrno(site_, err);
    }
    fs::rename(aside, staging_, ec);
  }
  // The renames reach the disk too. The staging name now holds the old site, which the
  // destructor removes.
  world::SyncFileSystem(site_.parent_path());
}

}  // namespace publish
