#include "editor/Recovery.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "chronicle/Diff.h"
#include "chronicle/Turn.h"
#include "editor/Editor.h"
#include "world/FileError.h"
#include "world/FileReplacement.h"
#include "world/TextReader.h"

namespace editor {

namespace fs = std::filesystem;

namespace {

// A record is lines of "key value"; a value keeps every byte but the line break and the
// percent sign, which are written as %0A and %25.
std::string Escaped(std::string_view value) {
  std::string out;
  for (char c : value) {
    if (c == '%')
      out += "%25";
    else if (c == '\n')
      out += "%0A";
    else if (c == '\r')
      out += "%0D";
    else
      out += c;
  }
  return out;
}

std::string Unescaped(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size()) {
      const std::string_view code = value.substr(i + 1, 2);
      if (code == "25" || code == "0A" || code == "0D") {
        out += code == "25" ? '%' : code == "0A" ? '\n' : '\r';
        i += 2;
        continue;
      }
    }
    out += value[i];
  }
  return out;
}

std::optional<int64_t> IntegerOf(std::string_view text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  char* end = nullptr;
  const std::string copy(text);
  errno = 0;
  const long long value = std::strtoll(copy.c_str(), &end, 10);
  if (errno != 0 || end != copy.c_str() + copy.size()) return std::nullopt;
  return value;
}

std::string RecordText(const RecoveryRecord& r) {
  std::string text = "tirmagor-recovery 1\n";
  text += "world " + Escaped(r.world.string()) + "\n";
  text += "turn " + Escaped(r.turnName) + "\n";
  text += "year " + std::to_string(r.year) + "\n";
  text += "edited " + std::to_string(r.lastEdit) + "\n";
  if (r.loadedSize) text += "size " + std::to_string(*r.loadedSize) + "\n";
  if (r.loadedTime) text += "time " + std::to_string(*r.loadedTime) + "\n";
  return text;
}

// The record of `id`; damaged when it cannot be read or lacks what every record has.
RecoveryRecord ReadRecord(const fs::path& file, const std::string& id, const fs::path& copy) {
  RecoveryRecord record;
  record.id = id;
  record.damaged = true;
  std::optional<std::string> text;
  try {
    text = world::ReadWholeFileUpTo(file, 64 * 1024);
  } catch (const world::FileError&) {
    return record;
  }
  if (!text || text->rfind("tirmagor-recovery 1\n", 0) != 0) return record;
  bool world = false, turn = false, year = false, edited = false;
  size_t at = 0;
  while (at < text->size()) {
    size_t end = text->find('\n', at);
    if (end == std::string::npos) end = text->size();
    const std::string_view line(text->data() + at, end - at);
    at = end + 1;
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, space), value = line.substr(space + 1);
    if (key == "world") {
      record.world = fs::path(Unescaped(value));
      world = !record.world.empty();
    } else if (key == "turn") {
      record.turnName = Unescaped(value);
      turn = !record.turnName.empty();
    } else if (key == "year" || key == "edited" || key == "size" || key == "time") {
      const auto number = IntegerOf(value);
      if (!number) return record;
      if (key == "year") {
        record.year = int32_t(*number);
        year = true;
      } else if (key == "edited") {
        record.lastEdit = *number;
        edited = true;
      } else if (key == "size") {
        record.loadedSize = uint64_t(*number);
      } else {
        record.loadedTime = *number;
      }
    }
  }
  std::error_code ec;
  record.damaged = !(world && turn && year && edited) || !fs::is_regular_file(copy, ec);
  return record;
}

// A folder's path in one spelling: no "." or "..", no separator at the end.
fs::path NormalFolder(const fs::path& folder) {
  fs::path normal = folder.lexically_normal();
  if (normal.has_relative_path() && !normal.has_filename()) normal = normal.parent_path();
  return normal;
}

}  // namespace

FileStamp StampOf(const fs::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return {uint64_t(info.st_size), int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

fs::path RecoveryStore::DefaultFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  fs::path base;
  if (state && *state && fs::path(state).is_absolute()) {
    base = state;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home && *home ? home : "/") / ".local" / "state";
  }
  return base / "tirmagor-editor" / "recovery";
}

std::string RecoveryStore::IdOf(const fs::path& world, std::string_view turnName) {
  // FNV-1a over the folder and the name: a short name that stays the same from run to run.
  uint64_t hash = 14695981039346656037ull;
  auto add = [&hash](std::string_view bytes) {
    for (char c : bytes) hash = (hash ^ uint8_t(c)) * 1099511628211ull;
  };
  add(NormalFolder(world).string());
  add(std::string_view("\0", 1));
  add(turnName);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

void RecoveryStore::Keep(const RecoveryRecord& record, std::string_view turnBytes) const {
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec) throw world::FileError::FromErrno(ec.value(), folder_);
  world::ReplaceFile(CopyPath(record.id), turnBytes.data(), turnBytes.size());
  const std::string text = RecordText(record);
  world::ReplaceFile(folder_ / (record.id + ".record"), text.data(), text.size());
}

void RecoveryStore::Drop(const std::string& id) const {
  std::error_code ec;
  fs::remove(folder_ / (id + ".record"), ec);
  fs::remove(CopyPath(id), ec);
}

std::vector<RecoveryRecord> RecoveryStore::List() const {
  std::vector<RecoveryRecord> records;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& file = it->path();
    const std::string stem = file.stem().string();
    if (file.extension() == ".record")
      records.push_back(ReadRecord(file, stem, CopyPath(stem)));
    else if (file.extension() == ".tvk" && !fs::exists(folder_ / (stem + ".record")))
      records.push_back(RecoveryRecord{stem, {}, {}, 0, 0, {}, {}, true});  // a copy without its record
  }
  std::stable_sort(records.begin(), records.end(), [](const RecoveryRecord& a, const RecoveryRecord& b) {
    return a.lastEdit != b.lastEdit ? a.lastEdit > b.lastEdit : a.id < b.id;
  });
  return records;
}

std::vector<RecoveryRecord> RecoveryStore::ListWorld(const fs::path& world) const {
  std::vector<RecoveryRecord> records = List();
  const fs::path wanted = NormalFolder(world);
  std::erase_if(records, [&](const RecoveryRecord& r) { return r.damaged || NormalFolder(r.world) != wanted; });
  return records;
}

std::vector<RecoveryRecord> RecoveryStore::Offered(const fs::path& world) const {
  std::vector<RecoveryRecord> copies = ListWorld(world);
  for (const RecoveryRecord& any : List())
    if (any.damaged) copies.push_back(any);
  return copies;
}

int RecoveryStore::Housekeep(int64_t now, Worlds worlds, int64_t maxAge) const {
  int removed = 0;
  for (const RecoveryRecord& record : List()) {
    if (record.damaged) continue;  // shown as damaged, for the user to delete
    std::error_code ec;
    const bool worldGone = worlds == Worlds::MustExist && !fs::is_directory(record.world, ec);
    if (worldGone || now - record.lastEdit > maxAge) {
      Drop(record.id);
      ++removed;
    }
  }
  return removed;
}

RecoveryRecord RecoveryKeeper::RecordOf(const Editor& editor, int64_t now) {
  // A turn never read nor saved belongs where "Сохранить ход" proposes it: its year's file.
  fs::path file = editor.TurnFile.empty() ? editor.YearFilePath(editor.World.Year) : editor.TurnFile;
  std::error_code ec;
  const fs::path absolute = fs::absolute(file, ec);
  if (!ec) file = absolute;
  RecoveryRecord record;
  record.world = NormalFolder(file.parent_path());
  record.turnName = file.filename().string();
  record.id = RecoveryStore::IdOf(record.world, record.turnName);
  record.year = editor.World.Year;
  record.lastEdit = now;
  record.loadedSize = editor.TurnFileStamp.size;
  record.loadedTime = editor.TurnFileStamp.time;
  return record;
}

bool RecoveryKeeper::Update(const Editor& editor, int64_t now) {
  // A unit in hand is an edit not yet complete: its copy waits for it to be put down.
  if (editor.edit.Holding) return false;
  const RecoveryRecord record = RecordOf(editor, now);
  bool changed = false;
  if (!lastSaveCount_) lastSaveCount_ = editor.SaveCount;
  if (editor.SaveCount != *lastSaveCount_) {
    // Saved: the turn as it was and as it is now are both in a file.
    lastSaveCount_ = editor.SaveCount;
    if (!lastId_.empty()) store_.Drop(lastId_);
    store_.Drop(record.id);
    lastCopy_.clear();
    changed = true;
  }
  if (record.id != lastId_) lastCopy_.clear();
  lastId_ = record.id;
  if (!editor.HasUnsavedEdits()) {
    // Only a copy this keeper wrote goes: one left by an earlier run waits to be offered.
    if (!lastCopy_.empty()) {
      store_.Drop(record.id);
      changed = true;
    }
    lastCopy_.clear();
    return changed;
  }
  std::string text = editor.TurnText();
  if (text == lastCopy_) return changed;
  store_.Keep(record, text);
  lastCopy_ = std::move(text);
  return true;
}

namespace {

// "1 новый", "2 новых": the word for a count, Russian style.
std::string Counted(size_t n, const char* one, const char* few, const char* many) {
  const size_t lastTwo = n % 100, last = n % 10;
  const char* word = (last == 1 && lastTwo != 11) ? one : (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) ? few : many;
  return std::to_string(n) + " " + word;
}

}  // namespace

std::string CopyChangesText(const RecoveryStore& store, const RecoveryRecord& copy) {
  if (copy.damaged) return "копия повреждена";
  const FileStamp now = StampOf(copy.TurnFile());
  std::string text;
  if (!now.size) {
    text = "файла хода нет на диске";
  } else {
    try {
      text = ChangesSummary(copy.TurnFile(), store.CopyPath(copy.id));
    } catch (const world::FileError& error) {
      text = error.what();
    }
  }
  if (now.size && now != FileStamp{copy.loadedSize, copy.loadedTime})
    text += "; внимание: файл хода на диске изменён после этой правки";
  return text;
}

std::string ChangesSummary(const fs::path& older, const fs::path& newer) {
  const chronicle::TurnChanges changes = chronicle::DiffTurns(chronicle::ReadTurn(older), chronicle::ReadTurn(newer));
  size_t moved = 0, added = 0, removed = 0;
  for (const chronicle::PlayerChanges& player : changes.players) {
    moved += player.moved.size();
    added += player.added.size();
    removed += player.removed.size();
  }
  std::vector<std::string> parts;
  if (moved) parts.push_back(Counted(moved, "перемещение", "перемещения", "перемещений"));
  if (added) parts.push_back(Counted(added, "новый", "новых", "новых"));
  if (removed) parts.push_back(Counted(removed, "удалён", "удалено", "удалено"));
  if (parts.empty()) return "без изменений";
  std::string text = parts[0];
  for (size_t i = 1; i < parts.size(); ++i) text += ", " + parts[i];
  return text;
}

}  // namespace editor
