// Loads and saves that the file system refuses: a missing file or something other than a file,
// no permission, a full disk, a device that fails. The command reports the reason, the editor
// keeps its state and every file stays byte for byte as it was, with no stray file.

#include <grp.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <iterator>

#include "RobustnessFixture.h"

namespace robustness {
namespace {

// Where a child writes its report: a pipe made before FailOnNextFile picks its descriptor.
int reportPipe = -1;

// _exit keeps the test framework and the sanitizers' exit checks from running in the child.
[[noreturn]] void EndChild(const std::string& report) {
  (void)!::write(reportPipe, report.data(), report.size());
  ::_exit(0);
}

// In a child: a system that does not offer what a test needs ends it with "skip: " and why.
void Check(bool done, const char* what) {
  if (!done) EndChild(std::string("skip: ") + what + ": " + std::strerror(errno));
}

// Runs `body` in a forked child; returns its report, and how it ended if that was not normally.
std::string RunInChild(const std::function<std::string()>& body) {
  int ends[2];
  if (::pipe(ends) != 0) return std::string("pipe: ") + std::strerror(errno);
  reportPipe = ends[1];
  const pid_t pid = ::fork();
  if (pid == 0) EndChild(body());
  ::close(ends[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;) report.append(buffer, size_t(n));
  ::close(ends[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status == 0 ? report : report + "[the child ended with status " + std::to_string(status) + "]";
}

// In a child: from now on `call` fails with `error` on the descriptor that the next file opened
// gets, as a save opens one file at a time; the sanitizers' own pipes must keep working.
std::string FailOnNextFile(uint32_t call, int error) {
  const int next = ::dup(0);
  Check(next >= 0, "dup");
  ::close(next);
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, call, 0, 3),
      // The low half of the first argument, the descriptor, sits first on little-endian machines.
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, uint32_t(next), 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (uint32_t(error) & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  Check(::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0, "no_new_privs");
  Check(::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0, "seccomp");
  return "";
}

// In a child: root gives up its rights and becomes the user "nobody", for whom permission bits
// count; an ordinary user stays who it is.
void BecomeOrdinaryUser() {
  if (::geteuid() == 0)
    Check(::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0, "becoming nobody");
}

const std::string Denied = "File access denied";

class FileSystemFailure : public RobustnessTest {
 protected:
  // Both saves onto `folder`/Год5.tvk and .bmp, as "errors of the turn save|errors of the
  // picture save", where the picture's one refusal, "Cannot create file" with its path, reads
  // "refused".
  std::string SaveBoth(const fs::path& folder) {
    const std::string turn = Run(&editor::Editor::N10Click, folder / "Год5.tvk");
    const std::string picture = Run(&editor::Editor::N9Click, folder / "Год5.bmp");
    const std::string refused = "Cannot create file " + (folder / "Год5.bmp").string();
    return turn + "|" + (picture == refused ? "refused" : picture);
  }

  // Old files in a folder `name`, to be saved over.
  fs::path FolderWithOldFiles(const std::string& name) {
    const fs::path folder = dir() / name;
    fs::create_directory(folder);
    WriteBytes(folder / "Год5.tvk", "old turn\r\n");
    WriteBytes(folder / "Год5.bmp", "old picture");
    return folder;
  }
};

// A folder or a named pipe is refused at once: a pipe would otherwise block the open.
TEST_F(FileSystemFailure, LoadingWhatIsMissingOrNoFile) {
  fs::create_directory(dir() / "folder");
  ASSERT_EQ(::mkfifo((dir() / "pipe").c_str(), 0644), 0);
  const std::pair<fs::path, std::string> cases[] = {
      {dir() / "missing", "File not found"},
      {dir() / "folder", Denied},
      {dir() / "pipe", Denied},
  };
  ::alarm(60);  // a blocked open fails the test instead of hanging it
  for (const auto& [file, turnError] : cases) {
    EXPECT_EQ(Load(&editor::Editor::N8Click, file), turnError);
    EXPECT_EQ(Load(&editor::Editor::N7Click, file), "Cannot open file " + file.string());
  }
  ::alarm(0);
  // The palette command passes over a missing file in silence.
  EXPECT_EQ(Load(&editor::Editor::N1Click, dir() / "missing"), "");
}

// Permission bits do not stop root, so the savers refuse what has no write bit at all.
TEST_F(FileSystemFailure, RefusedSavesChangeNoFile) {
  const fs::path files = FolderWithOldFiles("files"), folder = FolderWithOldFiles("folder");
  const fs::perms writeBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  for (const char* name : {"Год5.tvk", "Год5.bmp"}) {
    fs::permissions(files / name, writeBits, fs::perm_options::remove);
    fs::create_directory(dir() / name);
  }
  fs::permissions(folder, writeBits, fs::perm_options::remove);
  const auto before = ContentsOf(dir());
  EXPECT_EQ(SaveBoth(dir() / "no-such-folder"), "Invalid filename|refused");
  for (const fs::path& where : {dir(), files, folder})  // folders in place of the files in dir()
    EXPECT_EQ(SaveBoth(where), Denied + "|refused") << where;
  EXPECT_EQ(ContentsOf(dir()), before);
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);  // so it can be removed
}

// Each case runs in a child, which may give up root or filter system calls: `prepare` makes the
// failure, then both saves go onto old files, which must stay as they were.
class FailureInAChild : public FileSystemFailure {
 protected:
  void SetUp() override {
    FileSystemFailure::SetUp();
    folder = FolderWithOldFiles("folder");
  }

  void ExpectSaves(const std::function<std::string()>& prepare, const std::string& expected) {
    const std::string report = RunInChild([&] {
      std::string report = prepare();
      const auto before = ContentsOf(folder);
      report += SaveBoth(folder);
      if (ContentsOf(folder) != before) report += " and the folder changed";
      return report + (::testing::Test::HasFailure() ? " and the editor changed" : "");
    });
    ::chmod(folder.c_str(), 0755);
    if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report;
    EXPECT_EQ(report, expected);
  }

  fs::path folder;
};

// A user whom permission bits stop can neither load an unreadable file nor save into the folder.
TEST_F(FailureInAChild, UnreadableFileAndUnwritableFolder) {
  const fs::path unreadable = Write("unreadable", GoodTurnFile());
  fs::permissions(unreadable, fs::perms::none);
  ExpectSaves(
      [&] {
        // For an ordinary user the folder keeps write bits for the group and others only.
        ::chmod(folder.c_str(), ::geteuid() == 0 ? 0755 : 0575);
        BecomeOrdinaryUser();
        std::string loads;
        for (Command command : {&editor::Editor::N8Click, &editor::Editor::N7Click, &editor::Editor::N1Click})
          loads += Load(command, unreadable) + "|";
        return loads;
      },
      Denied + "|Cannot open file " + unreadable.string() + "|" + Denied + "|" + Denied + "|refused");
}

// Every write failing as on a full disk.
TEST_F(FailureInAChild, FullDisk) { ExpectSaves([] { return FailOnNextFile(__NR_write, ENOSPC); }, "Disk full|refused"); }

// The data refused by the device when the file is synced, still before it replaces the old one.
TEST_F(FailureInAChild, DeviceErrorOnSync) {
  ExpectSaves([] { return FailOnNextFile(__NR_fsync, EIO); }, "I/O error " + std::to_string(EIO) + "|refused");
}

}  // namespace
}  // namespace robustness
