// Recovery copies: the store's files and records, the keeper that follows the editor's edits, and
// the summary of what a copy changes.

#include "EditorFixture.h"
#include "editor/Recovery.h"
#include "world/FileError.h"

namespace editor::testing {
namespace {

RecoveryRecord Record(const fs::path& world, const std::string& turn, int64_t edited) {
  RecoveryRecord record;
  record.world = world;
  record.turnName = turn;
  record.id = RecoveryStore::IdOf(world, turn);
  record.year = 7;
  record.lastEdit = edited;
  record.loadedSize = 123;
  record.loadedTime = 1700000000123456789;
  return record;
}

TEST_F(ScratchFolderTest, TheStoreKeepsCopiesWithTheirRecordsNewestFirstAndListsTheUnreadableAsDamaged) {
  const RecoveryStore store(dir() / "state" / "recovery");
  EXPECT_TRUE(store.List().empty()) << "no folder yet";
  // A world folder whose name has a line break and a percent sign in it.
  const fs::path odd = dir() / "мир\n100%";
  fs::create_directories(odd);
  store.Keep(Record(dir(), "Год7.tvk", 100), "copy 1");
  store.Keep(Record(odd, "Год8.tvk", 300), "copy 2");
  store.Keep(Record(dir(), "Год9.tvk", 200), "copy 3");

  const std::vector<RecoveryRecord> all = store.List();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].world, odd) << "newest first, the folder's name as it was";
  EXPECT_EQ(all[1].turnName, "Год9.tvk");
  EXPECT_EQ(all[2].year, 7);
  EXPECT_EQ(all[2].loadedSize, 123u);
  EXPECT_EQ(all[2].loadedTime, 1700000000123456789);
  EXPECT_EQ(ReadBytes(store.CopyPath(all[1].id)), "copy 3");
  EXPECT_EQ(store.ListWorld(dir()).size(), 2u);
  EXPECT_EQ(RecoveryStore::IdOf(dir() / "." / "", "Год7.tvk"), RecoveryStore::IdOf(dir(), "Год7.tvk"));

  // A record of garbage, and a copy that lost its record: listed, damaged, and deletable.
  WriteBytes(store.Folder() / "0123456789abcdef.record", "\x01\x02 no record");
  WriteBytes(store.Folder() / "fedcba9876543210.tvk", "orphan");
  std::vector<RecoveryRecord> listed = store.List();
  ASSERT_EQ(listed.size(), 5u);
  EXPECT_EQ(std::count_if(listed.begin(), listed.end(), [](const RecoveryRecord& r) { return r.damaged; }), 2);
  EXPECT_EQ(store.ListWorld(dir()).size(), 2u) << "a world's list leaves the damaged out";
  for (const std::string id : {"0123456789abcdef", "fedcba9876543210", all[0].id.c_str(), "not-there"}) store.Drop(id);
  EXPECT_EQ(store.List().size(), 2u);
  EXPECT_EQ(test_support::ContentsOf(store.Folder()).size(), 4u) << "two copies and their records, nothing else";
}

TEST_F(ScratchFolderTest, HousekeepingRemovesOldCopiesAndThoseOfVanishedWorldsAndAFolderThatCannotBeMadeIsAnError) {
  const RecoveryStore store(dir() / "recovery");
  fs::create_directories(dir() / "gone");
  const int64_t day = 24 * 3600, now = 100 * day;
  store.Keep(Record(dir(), "fresh.tvk", now - 29 * day), "fresh");
  store.Keep(Record(dir(), "old.tvk", now - 31 * day), "old");
  store.Keep(Record(dir() / "gone", "lost.tvk", now), "lost");
  fs::remove(dir() / "gone");
  EXPECT_EQ(store.Housekeep(now, RecoveryStore::Worlds::MayBeElsewhere), 1) << "the old one; the browser's worlds are elsewhere";
  EXPECT_EQ(store.Housekeep(now), 1) << "the one whose world is gone";
  ASSERT_EQ(store.List().size(), 1u);
  EXPECT_EQ(store.List()[0].turnName, "fresh.tvk");

  WriteBytes("a-file", "x");
  const RecoveryStore blocked(dir() / "a-file" / "recovery");
  EXPECT_THROW(blocked.Keep(Record(dir(), "t.tvk", now), "copy"), world::FileError);
}

TEST_F(EditorMouseTest, TheKeeperCopiesAnEditedTurnAndDropsItOnceSavedOrUndone) {
  WriteBytes("Год3.tvk", TurnFile(3, 4));
  WriteBytes("Год4.tvk", TurnFile(4, 4));
  Start();
  editor.EpochDir = dir().string() + "/";
  RecoveryKeeper keeper(RecoveryStore(dir() / "recovery"));
  const RecoveryStore& store = keeper.Store();
  ui.TypeYear(3);
  keeper.Update(editor, 10);
  EXPECT_TRUE(store.List().empty()) << "a turn just read has nothing to keep";

  ChooseKind(5);
  Press(6, 6);
  keeper.Update(editor, 20);
  ASSERT_EQ(store.List().size(), 1u);
  const RecoveryRecord kept = store.List()[0];
  EXPECT_EQ(kept.turnName, "Год3.tvk");
  EXPECT_EQ(kept.world, fs::absolute(dir()));
  EXPECT_EQ(kept.year, 3);
  EXPECT_EQ(kept.lastEdit, 20);
  EXPECT_EQ(kept.loadedSize, TurnFile(3, 4).size());
  // A unit in hand is no complete edit: the copy keeps the turn as it was before the lift.
  Press(6, 6);
  ASSERT_TRUE(editor.edit.Holding);
  EXPECT_FALSE(keeper.Update(editor, 25));
  editor.Escape();
  EXPECT_EQ(ReadBytes(store.CopyPath(kept.id)), editor.TurnText());

  editor.Undo();
  keeper.Update(editor, 30);
  EXPECT_TRUE(store.List().empty()) << "undone to the turn as read";
  editor.Redo();
  keeper.Update(editor, 40);
  EXPECT_EQ(store.List().size(), 1u);

  // Another year leaves the copy where it is; that year's own edits get a copy of their own.
  ui.TypeYear(4);
  keeper.Update(editor, 50);
  ASSERT_EQ(store.List().size(), 1u);
  ChooseKind(5);
  Press(7, 7);
  keeper.Update(editor, 60);
  ASSERT_EQ(store.List().size(), 2u);
  EXPECT_EQ(store.List()[0].turnName, "Год4.tvk");

  // Saved under another name: the copy of year 4 goes, year 3's stays.
  editor.SaveTurn("Год4-копия.tvk");
  keeper.Update(editor, 70);
  ASSERT_EQ(store.List().size(), 1u);
  EXPECT_EQ(store.List()[0].turnName, "Год3.tvk");

  // The next run reads that year without an edit: the copy stays, to be offered.
  RecoveryKeeper nextRun(RecoveryStore(dir() / "recovery"));
  ui.TypeYear(3);
  nextRun.Update(editor, 80);
  ASSERT_EQ(store.List().size(), 1u);
  // Restored, the turn belongs to the file the copy was made of again. (The desktop's recovery
  // test restores a copy in the window and checks its year, its units and that it is unsaved.)
  const RecoveryRecord left = store.List()[0];
  editor.RestoreTurn(store.CopyPath(left.id), left.TurnFile());
  EXPECT_EQ(editor.TurnFile, left.TurnFile());
}

TEST_F(ScratchFolderTest, TheSummaryCountsMovesAdditionsAndDeletionsInRussian) {
  auto turn = [](const std::string& units) {
    return "legend\r\n7\r\nPlayer\r\nP1\r\n0 0\r\n" + units + "Player\r\nP2\r\n0 0\r\nEND\r\n";
  };
  WriteBytes("old.tvk", turn("\xF0 1 1,2 2,3 3,4 4,\r\n\xE3 9 9,\r\n"));
  WriteBytes("same.tvk", turn("\xF0 1 1,2 2,3 3,4 4,\r\n\xE3 9 9,\r\n"));
  WriteBytes("new.tvk", turn("\xF0 1 2,2 3,3 4,4 4,\r\n\xCA 5 5,\r\n"));
  EXPECT_EQ(ChangesSummary("old.tvk", "same.tvk"), "без изменений");
  EXPECT_EQ(ChangesSummary("old.tvk", "new.tvk"), "3 перемещения, 1 новый, 1 удалён");
  WriteBytes("many.tvk", turn("\xF0 1 2,2 3,3 4,4 5,\r\n\xCA 5 5,6 6,\r\n"));
  EXPECT_EQ(ChangesSummary("old.tvk", "many.tvk"), "4 перемещения, 2 новых, 1 удалён");
  EXPECT_THROW(ChangesSummary("old.tvk", "missing.tvk"), world::FileError);
}

}  // namespace
}  // namespace editor::testing
