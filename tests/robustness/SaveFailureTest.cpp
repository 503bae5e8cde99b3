// Saving a turn (N10Click) or a picture (N9Click) where it cannot be done: the error names the
// reason and every file on disk stays byte for byte as it was, with no stray file left.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "ChildProcess.h"
#include "RobustnessFixture.h"

namespace robustness {
namespace {

using Errors = std::vector<std::string>;

std::string CannotCreate(const fs::path& path) { return "Cannot create file " + path.string(); }

class SaveFailure : public RobustnessTest {
 protected:
  void SetUp() override {
    RobustnessTest::SetUp();
    WriteBytes(Dir() / "good.tvk", GoodTurnFile());
    ASSERT_TRUE(RunWithFile(&app::Editor::N8Click, Dir() / "good.tvk").empty());
    ui.yearField = 5;
  }

  // Both saves onto `turn` and `picture`, as "error of the turn save|error of the picture save".
  std::string SaveBoth(const fs::path& turn, const fs::path& picture) {
    const Errors turnErrors = RunWithFile(&app::Editor::N10Click, turn);
    const Errors pictureErrors = RunWithFile(&app::Editor::N9Click, picture);
    auto text = [](const Errors& errors) {
      std::string joined;
      for (const std::string& e : errors) joined += (joined.empty() ? "" : "; ") + e;
      return joined;
    };
    return text(turnErrors) + "|" + text(pictureErrors);
  }

  // Old files in a folder `name`, to be saved over.
  fs::path FolderWithOldFiles(const std::string& name) {
    const fs::path folder = Dir() / name;
    fs::create_directory(folder);
    WriteBytes(folder / "Год5.tvk", "old turn\r\n");
    WriteBytes(folder / "Год5.bmp", "old picture");
    return folder;
  }
};

TEST_F(SaveFailure, NoSuchFolderOrAFolderInPlaceOfTheFile) {
  const FolderContents before = ContentsOf(Dir());
  const fs::path missing = Dir() / "no-such-folder";
  EXPECT_EQ(SaveBoth(missing / "Год5.tvk", missing / "Год5.bmp"),
            "Invalid filename|" + CannotCreate(missing / "Год5.bmp"));

  fs::create_directory(Dir() / "Год5.tvk");
  fs::create_directory(Dir() / "Год5.bmp");
  const FolderContents withFolders = ContentsOf(Dir());
  EXPECT_EQ(SaveBoth(Dir() / "Год5.tvk", Dir() / "Год5.bmp"),
            "File access denied|" + CannotCreate(Dir() / "Год5.bmp"));
  EXPECT_EQ(ContentsOf(Dir()), withFolders);
  fs::remove(Dir() / "Год5.tvk");
  fs::remove(Dir() / "Год5.bmp");
  EXPECT_EQ(ContentsOf(Dir()), before);
  ExpectEditorStillWorks();
}

// Permission bits do not stop root, so the savers refuse what has no write bit at all.
TEST_F(SaveFailure, ReadOnlyFileOrFolderIsRefused) {
  const fs::path files = FolderWithOldFiles("files");
  fs::permissions(files / "Год5.tvk", fs::perms::owner_read | fs::perms::group_read);
  fs::permissions(files / "Год5.bmp", fs::perms::owner_read | fs::perms::group_read);
  const fs::path folder = FolderWithOldFiles("folder");
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const FolderContents before = ContentsOf(Dir());

  EXPECT_EQ(SaveBoth(files / "Год5.tvk", files / "Год5.bmp"),
            "File access denied|" + CannotCreate(files / "Год5.bmp"));
  EXPECT_EQ(SaveBoth(folder / "Год5.tvk", folder / "Год5.bmp"),
            "File access denied|" + CannotCreate(folder / "Год5.bmp"));
  EXPECT_EQ(SaveBoth(folder / "new.tvk", folder / "new.bmp"),
            "File access denied|" + CannotCreate(folder / "new.bmp"));
  EXPECT_EQ(ContentsOf(Dir()), before);
  ExpectEditorStillWorks();
}

// For a user whom permission bits stop, a folder that has write bits but not for this user
// is refused by the system itself, with the same texts.
TEST_F(SaveFailure, AnOrdinaryUserMeetsTheSameRefusals) {
  const fs::path folder = FolderWithOldFiles("folder");
  // Root's folder, which "nobody" may not write to; for an ordinary user, a folder whose
  // write bits are only those of the group and of others.
  ::chmod(folder.c_str(), ::geteuid() == 0 ? 0755 : 0575);
  const FolderContents before = ContentsOf(Dir());

  const std::string report = RunInChild([&]() -> std::string {
    std::string why;
    if (!BecomeOrdinaryUser(why)) return "skip: " + why;
    return SaveBoth(folder / "Год5.tvk", folder / "Год5.bmp") + "\n" +
           SaveBoth(folder / "new.tvk", folder / "new.bmp");
  });
  ::chmod(folder.c_str(), 0755);
  if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report;
  EXPECT_EQ(report, "File access denied|" + CannotCreate(folder / "Год5.bmp") + "\n" +
                        "File access denied|" + CannotCreate(folder / "new.bmp"));
  EXPECT_EQ(ContentsOf(Dir()), before);
}

// Every file write fails as on a full disk: the replacement is never completed, so the old
// files stay and the half-written new ones are removed.
TEST_F(SaveFailure, FullDiskKeepsTheOldFiles) {
  const fs::path folder = FolderWithOldFiles("disk");
  const FolderContents before = ContentsOf(Dir());
  const std::string report = RunInChild([&]() -> std::string {
    std::string why;
    if (!FailOnNextFile(FileCalls::Writes, ENOSPC, why)) return "skip: " + why;
    return SaveBoth(folder / "Год5.tvk", folder / "Год5.bmp") + "\n" +
           SaveBoth(folder / "new.tvk", folder / "new.bmp");
  });
  if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report;
  EXPECT_EQ(report, "Disk full|" + CannotCreate(folder / "Год5.bmp") + "\n" + "Disk full|" +
                        CannotCreate(folder / "new.bmp"));
  EXPECT_EQ(ContentsOf(Dir()), before);
  ExpectEditorStillWorks();
}

// The data written but not accepted by the device: the error shows when the file is synced,
// still before it replaces the old one.
TEST_F(SaveFailure, ALateWriteErrorKeepsTheOldFiles) {
  const fs::path folder = FolderWithOldFiles("device");
  const FolderContents before = ContentsOf(Dir());
  const std::string report = RunInChild([&]() -> std::string {
    std::string why;
    if (!FailOnNextFile(FileCalls::Syncs, EIO, why)) return "skip: " + why;
    return SaveBoth(folder / "Год5.tvk", folder / "Год5.bmp");
  });
  if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report;
  EXPECT_EQ(report, "I/O error " + std::to_string(EIO) + "|" + CannotCreate(folder / "Год5.bmp"));
  EXPECT_EQ(ContentsOf(Dir()), before);
}

// A real file system that fills up halfway through each save.
TEST_F(SaveFailure, FullSmallFileSystemKeepsTheOldFiles) {
  // Every player with a full unit table, so that the turn file (about 24 KB) does not fit either.
  for (int p = 1; p <= world::MaxPlayers; ++p) {
    world::TPlayer& player = editor.World.players[p];
    for (int u = player.count + 1; u <= world::MaxUnits; ++u) player.units[u] = {100, 70, 8};
    player.count = world::MaxUnits;
  }
  editor.PlayerCount = world::MaxPlayers;
  const fs::path disk = Dir() / "disk";
  fs::create_directory(disk);

  const std::string report = RunInChild([&]() -> std::string {
    std::string why;
    if (!MountSmallFileSystem(disk, 64 * 1024, why)) return "skip: " + why;
    WriteBytes(disk / "Год5.tvk", "old turn\r\n");
    WriteBytes(disk / "Год5.bmp", "old picture");
    // Fill the disk, then free a little less than either file needs.
    const int fd = ::open((disk / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
    const std::string block(1024, 'x');
    off_t size = 0;
    while (::write(fd, block.data(), block.size()) == ssize_t(block.size())) size += off_t(block.size());
    ::ftruncate(fd, size - 8 * 1024);
    ::close(fd);
    const FolderContents before = ContentsOf(disk);
    const std::string errors = SaveBoth(disk / "Год5.tvk", disk / "Год5.bmp");
    return errors + (ContentsOf(disk) == before ? "" : " and the disk changed");
  });
  if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report;
  EXPECT_EQ(report, "Disk full|" + CannotCreate(disk / "Год5.bmp"));
  ExpectEditorStillWorks();
}

}  // namespace
}  // namespace robustness
