#pragma once
// Recovery copies: a turn with unsaved edits, kept as "Сохранить ход" would write it, in a folder
// of the user's state, so that a slip (another year typed, another turn loaded, the window
// closed) or a crash loses nothing. A copy lives until its turn is saved or its edits are undone.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace editor {

struct RecoveryRecord {
  std::string id;                       // names the copy "<id>.tvk" and the record "<id>.record"
  std::filesystem::path world;          // the folder of the turn file
  std::string turnName;                 // the turn file's name in it, as bytes of the path
  int32_t year = 0;
  int64_t lastEdit = 0;                 // seconds since 1970
  // The turn file as it was when the turn was loaded: none when there was no such file.
  std::optional<uint64_t> loadedSize;
  std::optional<int64_t> loadedTime;    // modification time, nanoseconds since 1970
  bool damaged = false;                 // the record or the copy cannot be read: only deletable

  std::filesystem::path TurnFile() const { return world / turnName; }
};

// The size and modification time of a file, as a record keeps them; none for a missing file.
struct FileStamp {
  std::optional<uint64_t> size;
  std::optional<int64_t> time;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::filesystem::path& file);

class RecoveryStore {
 public:
  explicit RecoveryStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // $XDG_STATE_HOME/tirmagor-editor/recovery, where XDG_STATE_HOME is ~/.local/state when unset.
  static std::filesystem::path DefaultFolder();
  // The one copy of a turn file: the same world folder and name give the same id.
  static std::string IdOf(const std::filesystem::path& world, std::string_view turnName);

  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path CopyPath(const std::string& id) const { return folder_ / (id + ".tvk"); }

  // Writes the copy, then its record, each as a complete new file put in place of the old one;
  // creates the folder. Throws world::FileError with the system's reason.
  void Keep(const RecoveryRecord& record, std::string_view turnBytes) const;
  // Removes a copy and its record; one that is not there is no error.
  void Drop(const std::string& id) const;
  // Every copy, newest edit first; a record or copy that cannot be read is there, damaged.
  std::vector<RecoveryRecord> List() const;
  // The copies of one world folder, newest edit first.
  std::vector<RecoveryRecord> ListWorld(const std::filesystem::path& world) const;
  // What the list of copies shows for a world: its copies, then every damaged one (whose world
  // is unknown), for the user to delete.
  std::vector<RecoveryRecord> Offered(const std::filesystem::path& world) const;
  // Removes the copies last edited more than `maxAge` seconds before `now`, and, unless told
  // otherwise, those whose world folder no longer exists; gives how many went.
  enum class Worlds { MustExist, MayBeElsewhere };
  int Housekeep(int64_t now, Worlds worlds = Worlds::MustExist, int64_t maxAge = 30 * 24 * 3600) const;

 private:
  std::filesystem::path folder_;
};

class Editor;

// Keeps the recovery copy of an editor's turn in step with its edits. The front end calls
// Update within a second of anything that may have changed the turn: an edit, undo or redo, a
// turn loaded, a save.
class RecoveryKeeper {
 public:
  explicit RecoveryKeeper(RecoveryStore store) : store_(std::move(store)) {}
  const RecoveryStore& Store() const { return store_; }

  // While a unit is in hand, does nothing. Otherwise writes the copy of the current turn when it
  // has unsaved edits that the copy does not hold yet, and removes the copy it wrote when they are gone (undone); a copy an earlier run left
  // stays. A save since the last call removes the copies of the turn as it was before and as it
  // is, whatever name it was saved under. True when a copy was written or removed. Throws
  // world::FileError.
  bool Update(const Editor& editor, int64_t now);
  // The record the current turn's copy has, or would have.
  static RecoveryRecord RecordOf(const Editor& editor, int64_t now);

 private:
  RecoveryStore store_;
  std::string lastId_;      // the copy of the turn the editor had at the last call
  std::string lastCopy_;    // what that copy holds, empty when there is none
  std::optional<uint32_t> lastSaveCount_;  // the editor's saves at the last call
};

// A copy's line in the list of copies: what it changes against its turn file now, and a warning
// where that file changed after the copy's turn was loaded.
std::string CopyChangesText(const RecoveryStore& store, const RecoveryRecord& copy);

// What the turn file `newer` changes against `older`, counted over all players:
// "3 перемещения, 1 новый, 1 удалён"; "без изменений" when nothing. Throws world::FileError
// when either cannot be read.
std::string ChangesSummary(const std::filesystem::path& older, const std::filesystem::path& newer);

}  // namespace editor
