#pragma once
// Saving without ever destroying a good file: the new content goes into a file of its own beside
// the target, reaches the disk, and only then is renamed over the target. The target is thus
// either the old file or the complete new one; a save that fails leaves no stray file behind.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>

namespace world {

// When a replaced file reaches the disk: at once, or with many others in one SyncFileSystem
// after the last of them.
enum class Sync { Now, Later };

// Makes everything written to the file system that holds `path` durable: one sync for a batch of
// files saved with Sync::Later. Throws FileError with the system's reason.
void SyncFileSystem(const std::filesystem::path& path);

// Replaces `target` with the bytes given, in one FileReplacement. Throws FileError.
void ReplaceFile(const std::filesystem::path& target, const void* data, size_t size, Sync sync = Sync::Now);

class FileReplacement {
 public:
  // Starts the new file for `target`; a link is followed to the file it names. Refuses, with
  // "Invalid filename", a name without a file or a folder that does not exist, and with "File
  // access denied" a folder as target and a file or folder without any write bit: those are
  // meant to stay, also for root, whom the system would let write them. Throws FileError.
  explicit FileReplacement(const std::filesystem::path& target);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Throws FileError with the system's reason ("Disk full", …).
  void Write(const void* data, size_t size);
  // Gives the new file the old one's mode (and owner, where allowed), syncs it, so that a write
  // error the system reports late shows here, and renames it over the target. With Sync::Later
  // the sync is left to a SyncFileSystem after the batch. Throws FileError.
  void Commit(Sync sync = Sync::Now);

 private:
  [[noreturn]] void Fail(int err);

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int fd_ = -1;
  bool replacing_ = false;
  mode_t mode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
};

}  // namespace world
