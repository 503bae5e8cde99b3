// A file that vanishes or becomes unreadable between the dialog and the read: the command
// reports it, the editor keeps what it had, and the next good load and edit work.

#include <sys/stat.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "RobustnessFixture.h"

namespace robustness {
namespace {

using Errors = std::vector<std::string>;

std::string CannotOpen(const fs::path& path) { return "Cannot open file " + path.string(); }

class LoadFailure : public RobustnessTest {
 protected:
  void SetUp() override {
    RobustnessTest::SetUp();
    WriteBytes(Dir() / "good.tvk", GoodTurnFile());
    ASSERT_TRUE(RunWithFile(&app::Editor::N8Click, Dir() / "good.tvk").empty());
    WriteBytes(Dir() / "turn.tvk", GoodTurnFile());
    WriteBytes(Dir() / "colours.pal", "1 2 3\r\n");
    app::testing::PatternMap(30, 20).SaveBmp(Dir() / "picture.bmp");
  }

  // The command on `path`, spoilt by `spoil` once the dialog is confirmed; the state must stay.
  Errors RunSpoilt(void (app::Editor::*command)(), const fs::path& path,
                   const std::function<void(const fs::path&)>& spoil) {
    const EditorState before = State();
    ui.afterConfirm = spoil;
    Errors errors = RunWithFile(command, path);
    EXPECT_TRUE(State() == before) << "the failed load changed the editor";
    return errors;
  }
};

TEST_F(LoadFailure, FileVanishesAfterTheDialog) {
  auto vanish = [](const fs::path& path) { fs::remove(path); };
  EXPECT_EQ(RunSpoilt(&app::Editor::N8Click, Dir() / "turn.tvk", vanish), Errors{"File not found"});
  EXPECT_EQ(RunSpoilt(&app::Editor::N7Click, Dir() / "picture.bmp", vanish),
            Errors{CannotOpen(Dir() / "picture.bmp")});
  // The palette command looks for the file first and passes over a missing one in silence.
  EXPECT_EQ(RunSpoilt(&app::Editor::N1Click, Dir() / "colours.pal", vanish), Errors{});
  ExpectEditorStillWorks();
}

// A folder, a named pipe or a device in place of the file: refused at once. A pipe would
// otherwise block the open, and /dev/zero never ends.
TEST_F(LoadFailure, SomethingOtherThanAFileTakesItsPlace) {
  auto folder = [](const fs::path& path) {
    fs::remove(path);
    fs::create_directory(path);
  };
  auto pipe = [](const fs::path& path) {
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  };
  ::alarm(60);  // a blocked open fails the test instead of hanging it
  EXPECT_EQ(RunSpoilt(&app::Editor::N8Click, Dir() / "turn.tvk", folder), Errors{"File access denied"});
  EXPECT_EQ(RunSpoilt(&app::Editor::N7Click, Dir() / "picture.bmp", folder),
            Errors{CannotOpen(Dir() / "picture.bmp")});
  fs::remove(Dir() / "turn.tvk");
  fs::remove(Dir() / "picture.bmp");
  EXPECT_EQ(RunSpoilt(&app::Editor::N8Click, Dir() / "turn.tvk", pipe), Errors{"File access denied"});
  EXPECT_EQ(RunSpoilt(&app::Editor::N7Click, Dir() / "picture.bmp", pipe),
            Errors{CannotOpen(Dir() / "picture.bmp")});
  EXPECT_EQ(RunWithFile(&app::Editor::N8Click, "/dev/zero"), Errors{"File access denied"});
  EXPECT_EQ(RunWithFile(&app::Editor::N7Click, "/dev/zero"), Errors{CannotOpen("/dev/zero")});

  // Start-up reads the land file before anything else; as a pipe it stops start-up there.
  fs::remove(Dir() / "orv.dat");
  ASSERT_EQ(::mkfifo((Dir() / "orv.dat").c_str(), 0644), 0);
  EXPECT_EQ(Run([&] { editor.FormCreate(); }), Errors{"File access denied"});
  ::alarm(0);
  ExpectEditorStillWorks();
}

// Permission bits do not stop root, so an unreadable file is tried as the user "nobody".
TEST_F(LoadFailure, FileTurnsUnreadableAfterTheDialog) {
  auto unreadable = [](const fs::path& path) { fs::permissions(path, fs::perms::none); };
  for (const char* name : {"turn.tvk", "picture.bmp", "colours.pal"}) GiveToOrdinaryUser(Dir() / name);
  const std::string report = RunInChild([&]() -> std::string {
    std::string why;
    if (!BecomeOrdinaryUser(why)) return "skip: " + why;
    std::string report;
    for (auto [command, name] : {std::pair{&app::Editor::N8Click, "turn.tvk"},
                                 std::pair{&app::Editor::N7Click, "picture.bmp"},
                                 std::pair{&app::Editor::N1Click, "colours.pal"}}) {
      const Errors errors = RunSpoilt(command, Dir() / name, unreadable);
      report += (errors.empty() ? "no error" : errors[0]) + "\n";
    }
    return report + (::testing::Test::HasFailure() ? "the editor changed" : "");
  });
  if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report;
  EXPECT_EQ(report, "File access denied\n" + CannotOpen(Dir() / "picture.bmp") + "\nFile access denied\n");
}

}  // namespace
}  // namespace robustness
