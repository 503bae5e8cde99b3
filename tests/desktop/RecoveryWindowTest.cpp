// Recovery copies in the main window: written within a second of an edit, offered in the window
// "Несохранённые правки" when their turn's world is opened again, restored with Enter, deleted,
// and a state folder that cannot be written said once.

#include <QAction>
#include <QPushButton>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "WindowFixture.h"
#include "desktop/RecoveryWindow.h"
#include "editor/HeadlessUi.h"

namespace editor::testing {
namespace {

class RecoveryTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WriteBytes("Год3.tvk", TurnFile(3, 4));
    WriteBytes("Год4.tvk", TurnFile(4, 4));
  }
  // The main window opened in this folder as its world, with copies kept under `state`.
  void OpenWorld(const fs::path& state) {
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    Open(WorldLocation{dir(), dir().string() + "/", std::nullopt});
  }
  void TypeYear(int year) { spinEdit1()->setText(QString::number(year)); }
  // Kind 5 from the kind strip, placed on cell (x, y).
  void AddUnit(int x, int y) {
    Click(Qt::LeftButton, {281 + 4 * 20 + 5, 5});
    Click(Qt::LeftButton, {2 + 20 * x + 30, 30 + 20 * (y - 1) + 28});
  }
  const RecoveryStore& Store() { return form1->Recovery().Store(); }
  desktop::RecoveryWindow& Copies() { return form1->RecoveryCopies(); }
};

TEST_F(RecoveryTest, AnEditIsCopiedWithinASecondOfferedWhenItsYearComesBackAndGoneOnceSaved) {
  OpenWorld(dir() / "state");
  EXPECT_FALSE(Copies().isVisible());
  EXPECT_FALSE(Control<QAction>("RecoveryCopies")->isEnabled());
  TypeYear(3);
  AddUnit(6, 6);
  const std::string edited = editor().TurnText();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Store().List().size() == 1; }, 1000)) << "copied within a second";
  EXPECT_EQ(ReadBytes(Store().CopyPath(Store().List()[0].id)), edited);
  EXPECT_EQ(Store().Folder(), dir() / "state" / "tirmagor-editor" / "recovery");
  EXPECT_FALSE(Copies().isVisible()) << "the copy of the turn being edited is not offered";

  // Another edit, and another year typed at once: the copy takes the edit before year 4 comes,
  // stays, and its world's copies are offered.
  AddUnit(7, 7);
  const std::string editedTwice = editor().TurnText();
  TypeYear(4);
  ASSERT_EQ(Store().List().size(), 1u);
  EXPECT_EQ(ReadBytes(Store().CopyPath(Store().List()[0].id)), editedTwice);
  QTest::qWait(600);
  Copies().hide();
  TypeYear(3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Copies().isVisible(); }, 1000)) << "offered when year 3 comes back";
  ASSERT_EQ(Copies().RowCount(), 1);
  EXPECT_EQ(Copies().RowTexts(0)[0], "3");
  EXPECT_EQ(Copies().RowTexts(0)[2], "2 новых");
  EXPECT_TRUE(Control<QAction>("RecoveryCopies")->isEnabled());
  EXPECT_FALSE(editor().HasUnsavedEdits()) << "year 3 as its file has it, until restored";

  // Saved: the copy goes, and the window with it.
  editor().SaveTurn("Год3.tvk");
  form1->UpdateRecoveryCopy();
  EXPECT_TRUE(Store().List().empty());
  EXPECT_FALSE(Copies().isVisible());
  EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
}

TEST_F(RecoveryTest, AnEditorKilledASecondAfterAnEditIsRestoredExactlyFromItsCopy) {
  const fs::path state = dir() / "state";
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execl(TIRMAGOR_RECOVERY_DRIVER, TIRMAGOR_RECOVERY_DRIVER, dir().c_str(), "3", "6", "6", nullptr);
    ::_exit(127);
  }
  ::close(out[1]);
  char said[16] = {};
  const ssize_t n = ::read(out[0], said, sizeof said - 1);
  ::close(out[0]);
  ASSERT_GT(n, 0) << "the editor did not get to its edit";
  EXPECT_STREQ(said, "edited\n");
  ::sleep(1);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

  // What the edit made: the same edit in an editor without a window.
  HeadlessUi headless;
  Editor expected(headless);
  expected.FormCreate();
  expected.ResizeWindowSurface(1130, 806);
  expected.EpochDir = dir().string() + "/";
  headless.year = 3;
  expected.SpinEdit1Change();
  expected.MouseDOwn(MouseButton::Left, 281 + 4 * 20 + 5, 5);
  expected.MouseDOwn(MouseButton::Left, 2 + 20 * 6 + 30, 30 + 20 * 5 + 28);

  OpenWorld(state);
  ASSERT_TRUE(Copies().isVisible()) << "offered at start-up";
  QTest::keyClick(&Copies(), Qt::Key_Return);
  EXPECT_EQ(spinEdit1()->text(), "3");
  EXPECT_EQ(editor().TurnText(), expected.TurnText());
  EXPECT_TRUE(editor().World.players == expected.World.players);
  EXPECT_TRUE(editor().scene.ComposedMap == expected.scene.ComposedMap) << "the composed map as after the edit";
  EXPECT_TRUE(editor().HasUnsavedEdits());
}

TEST_F(RecoveryTest, ACopyLeftByAnEarlierRunIsOfferedAtStartAndCanBeDeleted) {
  OpenWorld(dir() / "state");
  TypeYear(4);
  AddUnit(7, 7);
  form1.reset();  // closed without a word, within the second: the copy is written all the same
  OpenWorld(dir() / "state");
  EXPECT_TRUE(Copies().isVisible()) << "offered at start-up";
  ASSERT_EQ(Copies().RowCount(), 1);
  EXPECT_EQ(Copies().RowTexts(0)[0], "4");
  // The file on disk changed since: the row warns.
  WriteBytes("Год4.tvk", TurnFile(4, 3));
  Copies().SetCopies(Store(), Store().ListWorld(dir()));
  EXPECT_TRUE(Copies().RowTexts(0)[2].contains("изменён")) << Copies().RowTexts(0)[2].toStdString();
  Copies().findChild<QPushButton*>("DeleteCopy")->click();
  EXPECT_TRUE(Store().List().empty());
  EXPECT_FALSE(Copies().isVisible());
  EXPECT_FALSE(Control<QAction>("RecoveryCopies")->isEnabled());
}

TEST_F(RecoveryTest, AStateFolderThatCannotBeWrittenIsSaidOnceAndTheEditorGoesOn) {
  WriteBytes("not-a-folder", "x");
  OpenWorld(dir() / "not-a-folder");
  TypeYear(3);
  AddUnit(6, 6);
  QTest::qWait(600);
  AddUnit(8, 8);
  QTest::qWait(600);
  ASSERT_EQ(errors.size(), 1) << errors.join("; ").toStdString();
  EXPECT_TRUE(errors[0].startsWith("Несохранённые правки не сохраняются в ")) << errors[0].toStdString();
  EXPECT_EQ(editor().World.players[1].count, 2) << "both edits made";
}

}  // namespace
}  // namespace editor::testing
