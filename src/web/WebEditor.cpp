// The browser page's way into the editor: one Editor on an in-memory file system, driven through
// plain C functions the page calls. The page copies a world's files into the file system before
// it calls an operation, so that the editor itself stays synchronous; after each call it reads
// the Ui state below (fields, panels, errors, what changed) and shows it.

#include <emscripten/emscripten.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "DemoWorld.h"
#include "editor/Editor.h"
#include "editor/Recovery.h"
#include "render/Geometry.h"
#include "render/Surface.h"
#include "world/FileError.h"

namespace {

namespace fs = std::filesystem;

constexpr int YearMinimum = 0;
constexpr int YearMaximum = 1000;

// The page's controls as the editor sees them. The page shows what is here after every call.
class WebUi : public editor::Ui {
 public:
  editor::Editor* editor = nullptr;
  std::string yearText = "0";
  std::string playersField = "27";
  std::string panels[4] = {"(x,y)", "Название земли", "доход", "РУДНИК"};
  int upDownMaximum = 27;
  int upDownPosition = 27;
  std::vector<std::string> errors;
  bool surfaceChanged = true;
  int referenceToggles = 0;
  bool closeRequested = false;

  // The page asks for the file itself, before it runs the command: the dialog answers with it.
  std::optional<fs::path> chosen;
  std::optional<fs::path> ChooseFile(const editor::FileDialogRequest&) override { return std::exchange(chosen, std::nullopt); }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void SetPlayersField(const std::string& text) override { playersField = text; }
  void SetStatusPanel(int panel, const std::string& text) override {
    if (panel >= 0 && panel < 4) panels[panel] = text;
  }
  int YearFieldValue() override { return YearOf(yearText); }
  // As the desktop's field reads its text: an integer, or the minimum for anything else.
  static int YearOf(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    if (first != last && *first == '+') return YearMinimum;
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last ? value : YearMinimum;
  }
  // A change of text raises the field's change handler, as typing does.
  void SetYearFieldValue(int value) override {
    const std::string text = std::to_string(std::clamp(value, YearMinimum, YearMaximum));
    if (text == yearText) return;
    yearText = text;
    editor->SpinEdit1Change();
  }
  void ShowYear(int value) override { yearText = std::to_string(std::clamp(value, YearMinimum, YearMaximum)); }
  int UpDownPosition() override { return upDownPosition; }
  void SetUpDown(int maximum, int position) override {
    upDownMaximum = maximum;
    upDownPosition = std::clamp(position, 2, std::max(2, maximum));
  }
  void ToggleReferenceWindow() override { ++referenceToggles; }
  void CloseMainWindow() override { closeRequested = true; }
  void WindowSurfaceChanged() override { surfaceChanged = true; }
  // The page's recovery step runs on a timer; a turn replaced before it would take its edit along.
  std::function<void()> beforeTurnReplaced;
  void TurnAboutToBeReplaced() override {
    if (beforeTurnReplaced) beforeTurnReplaced();
  }
};

WebUi ui;
editor::Editor* theEditor = nullptr;
std::vector<uint32_t> rgba;  // the last picture handed to the page, as RGBA bytes
std::string text;            // the last text handed to the page
render::Surface reference;   // the reference window's picture
std::optional<editor::RecoveryKeeper> recovery;  // copies of unsaved edits, in a folder the page keeps
bool recoveryChanged = false;                    // the folder changed since the page last asked

editor::Editor& Ed() {
  if (!theEditor) {
    theEditor = new editor::Editor(ui);
    ui.editor = theEditor;
  }
  return *theEditor;
}

// Runs a handler as the desktop window does: an error ends it and goes to the error box.
template <typename Handler>
int Run(Handler&& handler) {
  try {
    handler();
    return 1;
  } catch (const std::exception& error) {
    ui.errors.push_back(error.what());
  }
  return 0;
}

// The pixels of a surface, opaque, in the byte order of the page's image data.
const uint8_t* ToRgba(const render::Surface& surface) {
  const int width = surface.Width(), height = surface.Height();
  rgba.resize(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y) {
    const render::Color* row = surface.Row(y);
    uint32_t* out = rgba.data() + size_t(y) * size_t(width);
    for (int x = 0; x < width; ++x) out[x] = row[x] | 0xFF000000u;
  }
  return reinterpret_cast<const uint8_t*>(rgba.data());
}

const char* Text(std::string value) {
  text = std::move(value);
  return text.c_str();
}

editor::MouseButton ButtonOf(int button) {
  return button == 2 ? editor::MouseButton::Right : button == 1 ? editor::MouseButton::Middle : editor::MouseButton::Left;
}

// A file menu command, its dialog answered with `path`.
int RunCommand(void (editor::Editor::*command)(), const char* path) {
  ui.chosen = fs::path(path);
  return Run([&] { (Ed().*command)(); });
}

// The copy named `id`, unless it is unknown or damaged.
std::optional<editor::RecoveryRecord> ReadableCopy(const std::string& id) {
  if (recovery)
    for (editor::RecoveryRecord& copy : recovery->Store().List())
      if (copy.id == id && !copy.damaged) return std::move(copy);
  return std::nullopt;
}

}  // namespace

extern "C" {

// Start-up in `folder` (its map, land file and icon sheets), which also becomes the epoch; an
// empty folder is the working directory, whose files errors then name as the desktop does.
// The window surface has no size until te_resize, as the desktop's until its window shows.
// 1 on success.
EMSCRIPTEN_KEEPALIVE int te_start(const char* folder) {
  // Files the editor writes must be readable again: the runtime starts with every bit masked.
  umask(022);
  editor::Editor& editor = Ed();
  ui.errors.clear();
  ui.yearText = "0";
  editor.StartupDir = folder;
  const int ok = Run([&] { editor.FormCreate(); });
  std::string epoch = folder;
  if (!epoch.empty() && epoch.back() != '/') epoch += '/';
  editor.EpochDir = epoch;
  return ok;
}

// Writes the demo world into `folder`: the build packs it into the page this way. 1 on success.
EMSCRIPTEN_KEEPALIVE int te_write_demo_world(const char* folder) {
  umask(022);
  return Run([&] { demo::WriteDemoWorld(folder); });
}

EMSCRIPTEN_KEEPALIVE void te_resize(int clientWidth, int clientHeight, int outerWidth, int outerHeight) {
  Run([&] { Ed().ResizeWindow(clientWidth, clientHeight, outerWidth, outerHeight); });
}

// The window surface as RGBA bytes, and its size.
EMSCRIPTEN_KEEPALIVE const uint8_t* te_window_pixels() {
  ui.surfaceChanged = false;
  return ToRgba(Ed().scene.Window);
}
EMSCRIPTEN_KEEPALIVE int te_window_width() { return Ed().scene.Window.Width(); }
EMSCRIPTEN_KEEPALIVE int te_window_height() { return Ed().scene.Window.Height(); }
EMSCRIPTEN_KEEPALIVE int te_surface_changed() { return ui.surfaceChanged ? 1 : 0; }

// The whole composed map as RGBA bytes (for the overview and PNG pictures), and its size.
EMSCRIPTEN_KEEPALIVE const uint8_t* te_map_pixels() {
  const render::Surface* map = nullptr;
  Run([&] { map = &Ed().scene.ComposedMap.Picture(); });
  return map ? ToRgba(*map) : nullptr;
}
EMSCRIPTEN_KEEPALIVE int te_map_width() { return Ed().scene.ComposedMap.Width(); }
EMSCRIPTEN_KEEPALIVE int te_map_height() { return Ed().scene.ComposedMap.Height(); }

// The part of the map the view shows, in map pixels: left, top, right, bottom (exclusive).
EMSCRIPTEN_KEEPALIVE int te_view_edge(int which) {
  const render::Scene& scene = Ed().scene;
  const render::Area view = render::VisibleView(scene);  // in window pixels
  const int edges[4] = {view.x1 - scene.OriginX, view.y1 - scene.OriginY, view.x2 - scene.OriginX, view.y2 - scene.OriginY};
  return which >= 0 && which < 4 ? edges[which] : 0;
}

// Mouse, in window pixels; buttons as the page numbers them (0 left, 1 middle, 2 right).
EMSCRIPTEN_KEEPALIVE void te_mouse_down(int button, int x, int y) { Run([&] { Ed().MouseDOwn(ButtonOf(button), x, y); }); }
EMSCRIPTEN_KEEPALIVE void te_mouse_up(int button, int x, int y) { Run([&] { Ed().Image1MouseUp(ButtonOf(button), x, y); }); }
EMSCRIPTEN_KEEPALIVE void te_mouse_move(int x, int y) { Run([&] { Ed().FormMouseMove(x, y); }); }
EMSCRIPTEN_KEEPALIVE void te_double_click() { Run([&] { Ed().FormDblClick(); }); }
EMSCRIPTEN_KEEPALIVE void te_scroll(int columns, int rows) { Run([&] { Ed().ScrollByCells(columns, rows); }); }
EMSCRIPTEN_KEEPALIVE void te_centre_view_on(int px, int py) { Run([&] { Ed().CentreViewOn(px, py); }); }
EMSCRIPTEN_KEEPALIVE const char* te_tooltip(int x, int y) { return Text(Ed().ToolTipAt(x, y)); }

// The year field's text as typed; raises its change handler.
EMSCRIPTEN_KEEPALIVE void te_year_typed(const char* typed) {
  ui.yearText = typed;
  Run([&] { Ed().SpinEdit1Change(); });
}
// The year a text in the year field stands for.
EMSCRIPTEN_KEEPALIVE int te_year_of(const char* typed) { return WebUi::YearOf(typed); }
// The year field set to a value, kept within its range (its arrows and keys).
EMSCRIPTEN_KEEPALIVE void te_year_set(int value) { Run([&] { ui.SetYearFieldValue(value); }); }
// A key released in the window outside its fields: the next year.
EMSCRIPTEN_KEEPALIVE void te_key_up() { Run([&] { Ed().FormKeyUp(); }); }
// The players' up-down buttons moved to `position`.
EMSCRIPTEN_KEEPALIVE void te_up_down(int position) {
  ui.upDownPosition = std::clamp(position, 2, std::max(2, ui.upDownMaximum));
  Run([&] { Ed().UpDown1Click(); });
}

EMSCRIPTEN_KEEPALIVE void te_undo() { Run([&] { Ed().Undo(); }); }
EMSCRIPTEN_KEEPALIVE void te_redo() { Run([&] { Ed().Redo(); }); }
EMSCRIPTEN_KEEPALIVE int te_escape() {
  bool letGo = false;
  Run([&] { letGo = Ed().Escape(); });
  return letGo ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE int te_can_undo() { return Ed().CanUndo() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int te_can_redo() { return Ed().CanRedo() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE const char* te_undo_text() { return Text(Ed().UndoText()); }
EMSCRIPTEN_KEEPALIVE const char* te_redo_text() { return Text(Ed().RedoText()); }
EMSCRIPTEN_KEEPALIVE int te_unsaved() { return Ed().HasUnsavedEdits() ? 1 : 0; }

// The file menu's commands, run with the file the page has chosen (and put into the file system,
// or will take from it, for the saves). 1 on success.
EMSCRIPTEN_KEEPALIVE int te_load_map(const char* path) { return RunCommand(&editor::Editor::N7Click, path); }
EMSCRIPTEN_KEEPALIVE int te_open_turn(const char* path) { return RunCommand(&editor::Editor::N8Click, path); }
EMSCRIPTEN_KEEPALIVE int te_open_epoch_of(const char* path) { return RunCommand(&editor::Editor::N2Click, path); }
EMSCRIPTEN_KEEPALIVE int te_load_palette(const char* path) { return RunCommand(&editor::Editor::N1Click, path); }
// A BMP picture; the page encodes PNG pictures itself.
EMSCRIPTEN_KEEPALIVE int te_save_picture(const char* path) { return RunCommand(&editor::Editor::N9Click, path); }
EMSCRIPTEN_KEEPALIVE int te_save_turn(const char* path) { return RunCommand(&editor::Editor::N10Click, path); }
// A saved turn whose bytes never reached the folder: the file there, put back, is what its edits
// are unsaved against again.
EMSCRIPTEN_KEEPALIVE void te_turn_not_written(const char* path) {
  Run([&] { Ed().CountEditsAgainst(path); });
}
// The turn's file put in place again as the world's folder has it (after a save): its size and
// time as they are now.
EMSCRIPTEN_KEEPALIVE void te_turn_file_restaged() { Ed().TurnFileStamp = editor::StampOf(Ed().TurnFile); }
// The turn file the turn was last read from or saved to, in one spelling whether it was named
// from the working folder or in full; empty before any.
EMSCRIPTEN_KEEPALIVE const char* te_turn_file() {
  std::error_code ec;
  const fs::path file = Ed().TurnFile.empty() ? fs::path() : fs::absolute(Ed().TurnFile, ec);
  return Text(ec ? Ed().TurnFile.string() : file.lexically_normal().string());
}
// The world's year (after the save commands took it from the field).
EMSCRIPTEN_KEEPALIVE int te_world_year() { return Ed().World.Year; }

// The reference window's picture from a BMP file; its RGBA bytes and size. 1 on success.
EMSCRIPTEN_KEEPALIVE int te_load_reference(const char* path) {
  return Run([&] {
    render::Surface picture;
    picture.LoadBmp(path);
    reference = std::move(picture);
  });
}
EMSCRIPTEN_KEEPALIVE const uint8_t* te_reference_pixels() { return ToRgba(reference); }
EMSCRIPTEN_KEEPALIVE int te_reference_width() { return reference.Width(); }
EMSCRIPTEN_KEEPALIVE int te_reference_height() { return reference.Height(); }

// The Ui state the page shows.
EMSCRIPTEN_KEEPALIVE const char* te_year_field() { return Text(ui.yearText); }
EMSCRIPTEN_KEEPALIVE const char* te_players_field() { return Text(ui.playersField); }
EMSCRIPTEN_KEEPALIVE const char* te_panel(int panel) { return Text(panel >= 0 && panel < 4 ? ui.panels[panel] : ""); }
EMSCRIPTEN_KEEPALIVE int te_up_down_position() { return ui.upDownPosition; }
EMSCRIPTEN_KEEPALIVE int te_up_down_maximum() { return ui.upDownMaximum; }
// The oldest error not yet shown, or an empty text.
EMSCRIPTEN_KEEPALIVE const char* te_take_error() {
  if (ui.errors.empty()) return Text("");
  std::string first = ui.errors.front();
  ui.errors.erase(ui.errors.begin());
  return Text(std::move(first));
}
// How many times the reference window was toggled since the last call.
EMSCRIPTEN_KEEPALIVE int te_take_reference_toggles() { return std::exchange(ui.referenceToggles, 0); }
EMSCRIPTEN_KEEPALIVE int te_take_close_request() { return std::exchange(ui.closeRequested, false) ? 1 : 0; }

// Recovery copies, kept by the core in `folder` of its file system; the page mirrors that folder
// in the browser's storage. Copies older than 30 days go; those of other worlds stay, as their
// folders are not in this file system.
EMSCRIPTEN_KEEPALIVE void te_recovery_open(const char* folder, double now) {
  recovery.emplace(editor::RecoveryStore(folder));
  ui.beforeTurnReplaced = [] {
    try {
      recoveryChanged |= recovery->Update(Ed(), int64_t(std::time(nullptr)));
    } catch (const std::exception& error) {
      ui.errors.push_back(error.what());
    }
  };
  Run([&] { recovery->Store().Housekeep(int64_t(now), editor::RecoveryStore::Worlds::MayBeElsewhere); });
}
// Writes or removes the current turn's copy; 1 when the folder changed.
EMSCRIPTEN_KEEPALIVE int te_recovery_update(double now) {
  if (!recovery) return 0;
  bool changed = std::exchange(recoveryChanged, false);
  Run([&] { changed |= recovery->Update(Ed(), int64_t(now)); });
  return changed ? 1 : 0;
}
// The copies of the current turn's world, newest first, then the damaged ones, a line each:
// id, year, time of the last edit (seconds since 1970), whether damaged (0 or 1), what it changes.
EMSCRIPTEN_KEEPALIVE const char* te_recovery_list() {
  std::string lines;
  if (recovery) {
    const editor::RecoveryRecord current = editor::RecoveryKeeper::RecordOf(Ed(), 0);
    for (const editor::RecoveryRecord& copy : recovery->Store().Offered(current.world))
      lines += copy.id + "\t" + std::to_string(copy.year) + "\t" + std::to_string(copy.lastEdit) + "\t" +
               (copy.damaged ? "1" : "0") + "\t" + editor::CopyChangesText(recovery->Store(), copy) + "\n";
  }
  return Text(std::move(lines));
}
// The turn file a copy belongs to, to be put in place before its changes are listed or it is
// restored; empty for an unknown copy.
EMSCRIPTEN_KEEPALIVE const char* te_recovery_turn_file(const char* id) {
  const std::optional<editor::RecoveryRecord> copy = ReadableCopy(id);
  return Text(copy ? copy->TurnFile().string() : "");
}
EMSCRIPTEN_KEEPALIVE int te_recovery_restore(const char* id) {
  const std::optional<editor::RecoveryRecord> copy = ReadableCopy(id);
  return copy ? Run([&] { Ed().RestoreTurn(recovery->Store().CopyPath(copy->id), copy->TurnFile()); }) : 0;
}
EMSCRIPTEN_KEEPALIVE void te_recovery_drop(const char* id) {
  if (recovery) recovery->Store().Drop(id);
}

// The year step a benchmark times: the year field set to `year`, whose turn is read and drawn,
// and the window surface painted, as the page shows it.
EMSCRIPTEN_KEEPALIVE double te_time_year_steps(int firstYear, int lastYear, int rounds) {
  const double start = emscripten_get_now();
  int steps = 0;
  for (int round = 0; round < rounds; ++round)
    for (int year = firstYear; year <= lastYear; ++year, ++steps) {
      ui.yearText = std::to_string(year);
      Run([&] { Ed().SpinEdit1Change(); });
    }
  return steps ? (emscripten_get_now() - start) / steps : 0;
}

}  // extern "C"
