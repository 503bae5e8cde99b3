// Loads and saves that the file system refuses: a missing file or something other than a file,
// no permission, a full disk, a device that fails. The command reports the reason, the editor
// keeps its state and every file on disk stays byte for byte as it was, with no stray file.
// What a test cannot cause in its own process runs in a forked child that reports back.

#include <fcntl.h>
#include <grp.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "RobustnessFixture.h"

namespace robustness {
namespace {

// Thrown in a child where the system does not offer what a test needs.
struct Unsupported : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void Check(bool done, const char* what) {
  if (!done) throw Unsupported(std::string(what) + ": " + std::strerror(errno));
}

// Runs `body` in a forked child and returns the text it produced, or "skip: " and the reason
// when it was Unsupported, and how the child ended if that was not normally. The child leaves
// with _exit, so the test framework and the sanitizers' exit checks do not run a second time.
std::string RunInChild(const std::function<std::string()>& body) {
  // Opened before the child starts, so that its descriptor is not the one FailOnNextFile spoils.
  std::FILE* const file = std::tmpfile();
  if (!file) return std::string("tmpfile: ") + std::strerror(errno);
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::string report;
    try {
      report = body();
    } catch (const Unsupported& e) {
      report = std::string("skip: ") + e.what();
    }
    std::fwrite(report.data(), 1, report.size(), file);
    std::fflush(file);
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  std::string report;
  std::rewind(file);
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) report.append(buffer, n);
  std::fclose(file);
  return status == 0 ? report : report + "[the child ended with status " + std::to_string(status) + "]";
}

bool Skipped(const std::string& report) { return report.rfind("skip: ", 0) == 0; }

// In a child: from now on the given system calls fail with `error` on the descriptor that the
// next file opened gets. A save opens one file at a time and closes it when a call fails; the
// sanitizers write into pipes of their own to probe memory, which must keep working.
void FailOnNextFile(std::initializer_list<uint32_t> calls, int error) {
#if defined(__x86_64__)
  constexpr uint32_t arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
  constexpr uint32_t arch = AUDIT_ARCH_AARCH64;
#else
  constexpr uint32_t arch = 0;
#endif
  if (arch == 0) throw Unsupported("no system call filter for this processor");
  const int next = ::dup(0);
  Check(next >= 0, "dup");
  ::close(next);
  std::vector<sock_filter> filter = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, arch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
  };
  // Each listed call jumps to the descriptor test after the list; anything else is allowed.
  for (size_t i = 0; i < calls.size(); ++i)
    filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, calls.begin()[i], uint8_t(calls.size() - i), 0));
  // The low half of the first argument (the descriptor) sits first on these little-endian machines.
  filter.insert(filter.end(), {
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, uint32_t(next), 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (uint32_t(error) & SECCOMP_RET_DATA)),
  });
  sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
  Check(::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0, "no_new_privs");
  Check(::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0, "seccomp");
}

// In a child: root gives up its rights and becomes the user "nobody", for whom permission bits
// count; an ordinary user stays who it is.
void BecomeOrdinaryUser() {
  constexpr uid_t nobody = 65534;
  if (::geteuid() != 0) return;
  Check(::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0, "becoming nobody");
}

const std::string Denied = "File access denied";

class FileSystemFailure : public RobustnessTest {
 protected:
  // Both saves onto `folder`/`stem`.tvk and .bmp, as "errors of the turn save|errors of the
  // picture save", where the picture's one refusal, "Cannot create file" with its path, reads
  // "refused".
  std::string SaveBoth(const fs::path& folder, const std::string& stem) {
    const std::string turn = RunWithFile(&app::Editor::N10Click, folder / (stem + ".tvk"));
    const fs::path picture = folder / (stem + ".bmp");
    const std::string pictureErrors = RunWithFile(&app::Editor::N9Click, picture);
    const bool refused = pictureErrors == "Cannot create file " + picture.string();
    return turn + "|" + (refused ? "refused" : pictureErrors);
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

// A folder, a named pipe or a device is refused at once: a pipe would otherwise block the
// open, and /dev/zero never ends.
TEST_F(FileSystemFailure, LoadingWhatIsMissingOrNoFile) {
  fs::create_directory(dir() / "folder");
  ASSERT_EQ(::mkfifo((dir() / "pipe").c_str(), 0644), 0);
  const std::pair<fs::path, std::string> cases[] = {
      {dir() / "missing", "File not found"},
      {dir() / "folder", Denied},
      {dir() / "pipe", Denied},
      {"/dev/zero", Denied},
  };
  ::alarm(60);  // a blocked open fails the test instead of hanging it
  for (const auto& [file, turnError] : cases) {
    EXPECT_EQ(Load(&app::Editor::N8Click, file), turnError);
    EXPECT_EQ(Load(&app::Editor::N7Click, file), "Cannot open file " + file.string());
  }
  // The palette command looks for the file first and passes over a missing one in silence.
  EXPECT_EQ(Load(&app::Editor::N1Click, dir() / "missing"), "");

  // Start-up reads the land file before anything else; as a pipe it stops start-up there.
  fs::rename(dir() / "pipe", dir() / "orv.dat");
  EXPECT_EQ(Run([&] { editor.FormCreate(); }), Denied);
  ::alarm(0);
}

// Permission bits do not stop root, so an unreadable file is tried as the user "nobody".
TEST_F(FileSystemFailure, LoadingAnUnreadableFile) {
  const fs::path file = Write("unreadable", GoodTurnFile());
  fs::permissions(file, fs::perms::none);
  const std::string report = RunInChild([&] {
    BecomeOrdinaryUser();
    std::string report;
    for (Command command : {&app::Editor::N8Click, &app::Editor::N7Click, &app::Editor::N1Click})
      report += Load(command, file) + "\n";
    return report + (::testing::Test::HasFailure() ? "the editor changed" : "");
  });
  if (Skipped(report)) GTEST_SKIP() << report;
  EXPECT_EQ(report, Denied + "\nCannot open file " + file.string() + "\n" + Denied + "\n");
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
  const struct {
    fs::path folder;
    const char* stem;
    std::string expected;
  } cases[] = {
      {dir() / "no-such-folder", "Год5", "Invalid filename|refused"},
      {dir(), "Год5", Denied + "|refused"},  // folders in place of the files
      {files, "Год5", Denied + "|refused"},
      {folder, "Год5", Denied + "|refused"},
      {folder, "new", Denied + "|refused"},
  };
  for (const auto& [where, stem, expected] : cases) EXPECT_EQ(SaveBoth(where, stem), expected) << where;
  EXPECT_EQ(ContentsOf(dir()), before);
}

// In a child: a user whom permission bits stop (the folder is root's, or for an ordinary user
// has write bits only for the group and others), every write failing as on a full disk, the
// data refused by the device when the file is synced (still before it replaces the old one),
// and a real file system that fills up halfway through each save.
TEST_F(FileSystemFailure, FailuresInAChildKeepTheOldFiles) {
  // Every player with a full unit table, so that the turn file (about 24 KB) does not fit on
  // the small file system either.
  for (world::TPlayer& player : editor.World.players) {
    player.units.fill({100, 70, 8});
    player.count = world::MaxUnits;
  }
  editor.PlayerCount = world::MaxPlayers;
  const fs::path folder = FolderWithOldFiles("folder");
  auto asNobody = [&] {
    ::chmod(folder.c_str(), ::geteuid() == 0 ? 0755 : 0575);
    BecomeOrdinaryUser();
  };
  auto smallFileSystem = [&] {
    // A tmpfs in a mount namespace of the child's own, so that nothing outlives it.
    Check(::unshare(CLONE_NEWNS) == 0, "unshare");
    Check(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0, "private mounts");
    Check(::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=65536") == 0, "mount tmpfs");
    FolderWithOldFiles("folder");
    // Fill it, then free a little less than either file needs.
    const int fd = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
    const std::string block(1024, 'x');
    off_t size = 0;
    while (::write(fd, block.data(), block.size()) == ssize_t(block.size())) size += off_t(block.size());
    ::ftruncate(fd, size - 8 * 1024);
    ::close(fd);
  };
  auto fullDisk = [] { FailOnNextFile({__NR_write, __NR_writev, __NR_pwrite64}, ENOSPC); };
  auto failingDevice = [] { FailOnNextFile({__NR_fsync, __NR_fdatasync}, EIO); };
  const std::pair<std::function<void()>, std::string> cases[] = {
      {asNobody, Denied + "|refused"},
      {fullDisk, "Disk full|refused"},
      {failingDevice, "I/O error " + std::to_string(EIO) + "|refused"},
      {smallFileSystem, "Disk full|refused"},
  };
  std::string skipped;
  for (const auto& [prepare, expected] : cases) {
    const std::string report = RunInChild([&] {
      prepare();
      const auto before = ContentsOf(folder);
      const std::string errors = SaveBoth(folder, "Год5") + "\n" + SaveBoth(folder, "new");
      return errors + (ContentsOf(folder) == before ? "" : " and the folder changed");
    });
    ::chmod(folder.c_str(), 0755);
    if (Skipped(report))
      skipped += report + "\n";
    else
      EXPECT_EQ(report, expected + "\n" + expected);
  }
  if (!skipped.empty()) GTEST_SKIP() << skipped;
}

}  // namespace
}  // namespace robustness
