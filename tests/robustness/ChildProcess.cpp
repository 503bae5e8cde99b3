#include "ChildProcess.h"

#include <grp.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <vector>

namespace robustness {

namespace {

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

void WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += size_t(n);
  }
}

}  // namespace

std::string RunInChild(const std::function<std::string()>& body) {
  int fds[2];
  if (::pipe(fds) != 0) return SystemError("pipe");
  const pid_t pid = ::fork();
  if (pid < 0) return SystemError("fork");
  if (pid == 0) {
    ::close(fds[0]);
    std::string report;
    try {
      report = body();
    } catch (const std::exception& e) {
      report = std::string("exception: ") + e.what();
    }
    WriteAll(fds[1], report);
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string report;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    report.append(buffer, size_t(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status)) return report + "[child killed by signal " + std::to_string(WTERMSIG(status)) + "]";
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return report + "[child exited with " + std::to_string(WEXITSTATUS(status)) + "]";
  return report;
}

bool FailOnNextFile(FileCalls calls, int error, std::string& why) {
#if defined(__x86_64__)
  constexpr uint32_t arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
  constexpr uint32_t arch = AUDIT_ARCH_AARCH64;
#else
  why = "no system call filter for this processor";
  return false;
#endif
#if defined(__x86_64__) || defined(__aarch64__)
  // Only the descriptor that the next file opened gets: a save opens one file at a time and
  // closes it when a call fails. The sanitizers write into pipes of their own to probe memory;
  // those get other descriptors and must keep working.
  const int next = ::dup(0);
  if (next < 0) {
    why = SystemError("dup");
    return false;
  }
  ::close(next);
  const std::vector<uint32_t> numbers = calls == FileCalls::Writes
                                            ? std::vector<uint32_t>{__NR_write, __NR_writev, __NR_pwrite64}
                                            : std::vector<uint32_t>{__NR_fsync, __NR_fdatasync};
  std::vector<sock_filter> filter = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, arch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
  };
  // Each listed call jumps to the descriptor test after the list; anything else is allowed.
  for (size_t i = 0; i < numbers.size(); ++i)
    filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, numbers[i], uint8_t(numbers.size() - i), 0));
  // The low half of the first argument (the descriptor) sits first on these little-endian machines.
  const std::vector<sock_filter> tail = {
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, uint32_t(next), 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (uint32_t(error) & SECCOMP_RET_DATA)),
  };
  filter.insert(filter.end(), tail.begin(), tail.end());
  sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    why = SystemError("no_new_privs");
    return false;
  }
  if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    why = SystemError("seccomp");
    return false;
  }
  return true;
#endif
}

bool MountSmallFileSystem(const std::filesystem::path& folder, size_t bytes, std::string& why) {
  if (::unshare(CLONE_NEWNS) != 0) {
    why = SystemError("unshare");
    return false;
  }
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    why = SystemError("private mounts");
    return false;
  }
  const std::string options = "size=" + std::to_string(bytes);
  if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    why = SystemError("mount tmpfs");
    return false;
  }
  return true;
}

constexpr uid_t nobody = 65534;

bool BecomeOrdinaryUser(std::string& why) {
  if (::geteuid() != 0) return true;
  if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
    why = SystemError("becoming nobody");
    return false;
  }
  return true;
}

void GiveToOrdinaryUser(const std::filesystem::path& path) {
  if (::geteuid() == 0 && ::chown(path.c_str(), nobody, nobody) != 0) throw std::runtime_error(SystemError("chown"));
}

}  // namespace robustness
