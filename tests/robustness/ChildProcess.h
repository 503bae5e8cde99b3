#pragma once
// Failures that a test cannot cause in its own process: a full disk, a user whom permission
// bits stop. Each runs in a forked child that reports back through a pipe.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace robustness {

// Runs `body` in a forked child and returns the text it produced, or how the child ended
// when it produced none. The child leaves with _exit, so the test framework and the
// sanitizers' exit checks do not run a second time.
std::string RunInChild(const std::function<std::string()>& body);

// Within RunInChild: from now on the given system calls on the next file opened fail with
// `error`: writes with ENOSPC as on a full disk, fsync with EIO as on a failing device. False
// where the system cannot filter system calls; the reason is in `why`.
enum class FileCalls { Writes, Syncs };
bool FailOnNextFile(FileCalls calls, int error, std::string& why);

// Within RunInChild: a tmpfs of `bytes` mounted on `folder`, in a mount namespace of the
// child's own so that nothing outlives it. False where mounting is not permitted.
bool MountSmallFileSystem(const std::filesystem::path& folder, size_t bytes, std::string& why);

// Within RunInChild: root gives up its rights and becomes the user "nobody", for whom
// permission bits count; an ordinary user stays who it is.
bool BecomeOrdinaryUser(std::string& why);
// Run by root before the child becomes "nobody": makes `path` that user's, so that the child
// may change its permissions.
void GiveToOrdinaryUser(const std::filesystem::path& path);

}  // namespace robustness
