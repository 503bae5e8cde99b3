#include "desktop/TForm1.h"

#include <QAction>
#include <QGuiApplication>
#include <algorithm>
#include <utility>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindow>
#include <ctime>

#include "desktop/ClientSurface.h"
#include "desktop/PanelStatusBar.h"
#include "desktop/UpDownButtons.h"
#include "desktop/YearSpinEdit.h"
#include "desktop/OverviewWindow.h"
#include "desktop/RecoveryWindow.h"
#include "desktop/TForm2.h"
#include "desktop/WindowFrame.h"
#include "world/FileError.h"

namespace desktop {

namespace {

// Where a font of the window description is not installed, the closest installed family stands in.
void SubstituteMissingFonts() {
  QFont::insertSubstitution("Bookman Old Style", "URW Bookman");
  QFont::insertSubstitution("Arial", "Liberation Sans");
}

QFont PixelFont(const QString& family, int pixelSize) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  return font;
}

render::Color ToColor(const QColor& c) {
  return render::Color(c.red()) | render::Color(c.green()) << 8 | render::Color(c.blue()) << 16;
}

// "Description|*.ext" pairs, as the commands give them, become "Description (*.ext)" entries.
QString NameFilterOf(const std::string& filter) {
  const QStringList parts = QString::fromUtf8(filter).split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    entries << parts[i].trimmed() + " (" + patterns.replace(';', ' ') + ")";
  }
  return entries.join(";;");
}

}  // namespace

TForm1::TForm1(ErrorPresenter presentError, std::optional<editor::WorldLocation> world)
    : presentError_(std::move(presentError)) {
  if (!presentError_)
    presentError_ = [this](const QString& title, const QString& text) { QMessageBox::critical(this, title, text); };
  SubstituteMissingFonts();
  setObjectName("Form1");
  setWindowTitle("Tirmagor - редактор");
  setFont(PixelFont("Bookman Old Style", 15));
  const QColor menuColor = QApplication::palette("QMenu").color(QPalette::Window);
  QPalette windowPalette = palette();
  windowPalette.setColor(QPalette::Window, menuColor);
  setPalette(windowPalette);

  editor_ = std::make_unique<editor::Editor>(*this);
  editor_->scene.WindowColor = ToColor(menuColor);

  CreateMenu();
  CreateControls();
  ConnectEvents();
  desktop::PlaceWindowFrame(*this, FramePosition, OuterSize);
  spinEdit1_->setFocus();

  recovery_ = std::make_unique<editor::RecoveryKeeper>(editor::RecoveryStore(editor::RecoveryStore::DefaultFolder()));
  recovery_->Store().Housekeep(std::time(nullptr));
  recoveryTimer_ = new QTimer(this);
  recoveryTimer_->setSingleShot(true);
  connect(recoveryTimer_, &QTimer::timeout, this, [this] { UpdateRecoveryCopy(); });
  recoveryWindow_ = new desktop::RecoveryWindow(
      this, [this](const editor::RecoveryRecord& copy) { RestoreCopy(copy); },
      [this](const editor::RecoveryRecord& copy) {
        recovery_->Store().Drop(copy.id);
        ShowRecoveryCopies(false);
      });

  if (world) editor_->StartupDir = world->folder;
  RunHandler([this] { editor_->FormCreate(); });
  if (world) RunHandler([this, &world] { editor_->OpenWorld(*world); });
  ShowRecoveryCopies(true);
}

TForm1::~TForm1() {
  // An edit of the last moments still gets its copy; closing says nothing of a failure.
  if (recoveryTimer_ && recoveryTimer_->isActive()) {
    try {
      recovery_->Update(*editor_, std::time(nullptr));
    } catch (const world::FileError&) {
    }
  }
  // The controls and the overview go while the editor they report to and show still exists.
  delete std::exchange(overview_, nullptr);
  delete takeCentralWidget();
}

desktop::TForm2& TForm1::CreateReferenceWindow() {
  referenceWindow_ = new desktop::TForm2(this);
  RunHandler([this] { referenceWindow_->FormCreate(editor_->StartupDir); });
  return *referenceWindow_;
}

void TForm1::RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const world::FileError& error) {
    ShowError(error.what());
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
  UpdateEditActions();
  if (overview_) overview_->Refresh();
  // The copy follows within a second, at most twice a second however busy the mouse.
  if (recoveryTimer_ && !recoveryTimer_->isActive()) recoveryTimer_->start(400);
}

void TForm1::UpdateRecoveryCopy() {
  if (!recovery_ || !editor_) return;
  recoveryTimer_->stop();
  // A turn newly loaded offers its world's copies as they were before any edit of its own.
  if (editor_->TurnFile != offeredTurn_) ShowRecoveryCopies(true);
  bool changed = false;
  try {
    changed = recovery_->Update(*editor_, std::time(nullptr));
  } catch (const world::FileError& error) {
    if (!recoveryFailed_) {
      recoveryFailed_ = true;
      ShowError("Несохранённые правки не сохраняются в " + recovery_->Store().Folder().string() + ": " + error.what());
    }
  }
  if (changed) ShowRecoveryCopies(false);
}

void TForm1::TurnAboutToBeReplaced() {
  if (recoveryTimer_ && recoveryTimer_->isActive()) UpdateRecoveryCopy();
}

void TForm1::ShowRecoveryCopies(bool offer) {
  offeredTurn_ = editor_->TurnFile;
  const editor::RecoveryRecord current = editor::RecoveryKeeper::RecordOf(*editor_, 0);
  const std::vector<editor::RecoveryRecord> copies = recovery_->Store().Offered(current.world);
  recoveryAction_->setEnabled(!copies.empty());
  recoveryWindow_->SetCopies(recovery_->Store(), copies);
  if (copies.empty())
    recoveryWindow_->hide();
  else if (offer)
    recoveryWindow_->Offer();
}

void TForm1::RestoreCopy(const editor::RecoveryRecord& copy) {
  RunHandler([&] { editor_->RestoreTurn(recovery_->Store().CopyPath(copy.id), copy.TurnFile()); });
  UpdateRecoveryCopy();
}

void TForm1::UpdateEditActions() {
  if (!undoAction_ || !editor_) return;
  undoAction_->setText(QString::fromUtf8(editor_->UndoText()));
  undoAction_->setEnabled(editor_->CanUndo());
  redoAction_->setText(QString::fromUtf8(editor_->RedoText()));
  redoAction_->setEnabled(editor_->CanRedo());
}

void TForm1::CreateMenu() {
  QMenuBar* bar = menuBar();
  bar->setFont(QApplication::font("QMenuBar"));
  auto command = [this](QAction* action, const char* name, void (editor::Editor::*handler)()) {
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, handler] { RunHandler([this, handler] { (editor_.get()->*handler)(); }); });
  };
  auto inert = [](QAction* action, const char* name) {
    action->setObjectName(name);
    action->setVisible(false);
    return action;
  };

  QAction* x1 = inert(bar->addAction("X"), "X1");
  x1->setStatusTip("Выход");
  x1->setShortcut(QKeySequence("Ctrl+Q"));
  x1->setEnabled(false);

  QMenu* file1 = bar->addMenu("Файлы");
  file1->setObjectName("File1");
  file1->menuAction()->setObjectName("File1Action");
  command(file1->addAction("Загрузить карту"), "N7", &editor::Editor::N7Click);
  command(file1->addAction("Загрузить ход"), "N8", &editor::Editor::N8Click);
  command(file1->addAction("Загрузить эпоху"), "N2", &editor::Editor::N2Click);
  command(file1->addAction("Загрузить палитру"), "N1", &editor::Editor::N1Click);
  command(file1->addAction("Сохранить как картинку"), "N9", &editor::Editor::N9Click);
  command(file1->addAction("Сохранить ход"), "N10", &editor::Editor::N10Click);
  command(file1->addAction("Выход"), "N11", &editor::Editor::N11Click);

  command(bar->addAction("Рифленка"), "N12", &editor::Editor::N12Click);
  inert(bar->addAction("Правила"), "N13");
  inert(bar->addAction("Летопись"), "N14");

  QMenu* editMenu = bar->addMenu("Правка");
  editMenu->setObjectName("EditMenu");
  auto editCommand = [this, editMenu](const char* name, void (editor::Editor::*handler)(), QList<QKeySequence> keys) {
    QAction* action = editMenu->addAction(name);
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, [this, handler] {
      ClaimHeldKeys();
      RunHandler([this, handler] { (editor_.get()->*handler)(); });
    });
    return action;
  };
  undoAction_ = editCommand("Отменить", &editor::Editor::Undo, {QKeySequence("Ctrl+Z")});
  undoAction_->setObjectName("Undo");
  redoAction_ = editCommand("Вернуть", &editor::Editor::Redo, {QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
  redoAction_->setObjectName("Redo");
  UpdateEditActions();
  recoveryAction_ = editMenu->addAction("Несохранённые правки…");
  recoveryAction_->setObjectName("RecoveryCopies");
  recoveryAction_->setEnabled(false);
  connect(recoveryAction_, &QAction::triggered, this, [this] { ShowRecoveryCopies(true); });

  overviewAction_ = bar->addAction("Обзор");
  overviewAction_->setObjectName("ToggleOverview");
  overviewAction_->setShortcut(QKeySequence("Ctrl+M"));
  connect(overviewAction_, &QAction::triggered, this, [this] {
    ClaimHeldKeys();
    if (overview_) overview_->Toggle();
  });
  qApp->installEventFilter(this);
}

void TForm1::CreateControls() {
  surface_ = new ClientSurface(editor_->scene.Window, this);
  surface_->setObjectName("ClientArea");
  setCentralWidget(surface_);

  label1_ = new QLabel("Год", surface_);
  label1_->setObjectName("Label1");
  label1_->setGeometry(56, 0, 21, 15);
  label1_->setFont(PixelFont("Arial", 12));

  spinEdit1_ = new YearSpinEdit(0, 1000, surface_);
  spinEdit1_->setObjectName("SpinEdit1");
  spinEdit1_->setGeometry(88, 0, 65, 24);
  spinEdit1_->setFont(PixelFont("Arial", 12));
  spinEdit1_->setFocusPolicy(Qt::ClickFocus);  // the Tab key passes it by

  label3_ = new QLabel("Игроков", surface_);
  label3_->setObjectName("Label3");
  label3_->setGeometry(184, 8, 43, 14);
  label3_->setFont(PixelFont("Arial", 11));

  edit2_ = new QLineEdit("27", surface_);
  edit2_->setObjectName("Edit2");
  edit2_->setGeometry(232, 0, 33, 22);
  edit2_->setFont(PixelFont("Arial", 11));

  upDown1_ = new UpDownButtons(2, 27, 27, surface_);
  upDown1_->setObjectName("UpDown1");
  upDown1_->setGeometry(editor::Editor::UpDownLeft, 0, editor::Editor::UpDownWidth, 25);

  statusBar1_ = new PanelStatusBar({{60, Qt::AlignHCenter, "(x,y)"},
                                    {300, Qt::AlignHCenter, "Название земли"},
                                    {150, Qt::AlignLeft, "доход"},
                                    {150, Qt::AlignHCenter, "РУДНИК"}},
                                   surface_);
  statusBar1_->setObjectName("StatusBar1");
  statusBar1_->setGeometry(0, 25, 761, 20);
  statusBar1_->setFont(PixelFont("Bookman Old Style", 13));

  // Never shown: their edges bound the map view.
  scrollBar1_ = new QScrollBar(Qt::Horizontal, surface_);
  scrollBar1_->setObjectName("ScrollBar1");
  scrollBar1_->setGeometry(0, 816, 1121, 8);
  scrollBar1_->setRange(0, 10);
  scrollBar1_->setValue(0);
  scrollBar1_->hide();
  scrollBar2_ = new QScrollBar(Qt::Vertical, surface_);
  scrollBar2_->setObjectName("ScrollBar2");
  scrollBar2_->setGeometry(1152, 40, 16, 753);
  scrollBar2_->setRange(0, 10);
  scrollBar2_->setValue(9);
  scrollBar2_->hide();

  for (QWidget* control : std::initializer_list<QWidget*>{label1_, spinEdit1_, label3_, edit2_, upDown1_, statusBar1_})
    control->setAttribute(Qt::WA_NoMousePropagation);
  setTabOrder(edit2_, upDown1_);

  overview_ = new desktop::OverviewWindow(editor_->scene, this, [this](int px, int py) {
    RunHandler([=, this] { editor_->CentreViewOn(px, py); });
  });

  openDialog1_ = new QFileDialog(this);
  openDialog1_->setObjectName("OpenDialog1");
  openDialog1_->setOption(QFileDialog::DontUseNativeDialog);
  openDialog1_->setOption(QFileDialog::DontConfirmOverwrite);
  openDialog1_->setAcceptMode(QFileDialog::AcceptOpen);
  openDialog1_->setFileMode(QFileDialog::AnyFile);
  // It starts where the program started, not where some earlier dialog of the process was left.
  openDialog1_->setDirectory(QDir::currentPath());
}

void TForm1::ConnectEvents() {
  ClientSurface::Handlers handlers;
  handlers.press = [this](editor::MouseButton button, int x, int y) { RunHandler([=, this] { editor_->MouseDOwn(button, x, y); }); };
  handlers.release = [this](editor::MouseButton button, int x, int y) {
    RunHandler([=, this] { editor_->Image1MouseUp(button, x, y); });
  };
  handlers.move = [this](int x, int y) { RunHandler([=, this] { editor_->FormMouseMove(x, y); }); };
  handlers.doubleClick = [this] { RunHandler([this] { editor_->FormDblClick(); }); };
  handlers.scroll = [this](int columns, int rows) { RunHandler([=, this] { editor_->ScrollByCells(columns, rows); }); };
  handlers.resize = [this](int width, int height) {
    // The outer size, frame included, as far as the window system has told the frame.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize outer = size().grownBy(frame);
    RunHandler([=, this] { editor_->ResizeWindow(width, height, outer.width(), outer.height()); });
  };
  handlers.toolTip = [this](int x, int y) { return QString::fromUtf8(editor_->ToolTipAt(x, y)); };
  surface_->SetHandlers(std::move(handlers));

  connect(spinEdit1_, &QLineEdit::textChanged, this, [this] { RunHandler([this] { editor_->SpinEdit1Change(); }); });
  connect(upDown1_, &UpDownButtons::Clicked, this, [this] { RunHandler([this] { editor_->UpDown1Click(); }); });
}

namespace {

bool IsOneOf(const QKeyEvent& event, const QList<QKeySequence>& keys) {
  const QKeyCombination pressed(event.modifiers() & ~Qt::KeypadModifier, Qt::Key(event.key()));
  return std::any_of(keys.begin(), keys.end(), [&](const QKeySequence& k) { return k.count() == 1 && k[0] == pressed; });
}

}  // namespace

void TForm1::ClaimHeldKeys() {
  claimedKeys_ += heldKeys_;
  if (overriddenKey_) claimedKeys_.insert(overriddenKey_);
  // The modifiers too, whose presses may have gone to another window.
  const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
  if (modifiers & Qt::ControlModifier) claimedKeys_.insert(Qt::Key_Control);
  if (modifiers & Qt::ShiftModifier) claimedKeys_.insert(Qt::Key_Shift);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (type == QEvent::KeyRelease) {
    if (!key->isAutoRepeat()) {
      heldKeys_.remove(key->key());
      if (overriddenKey_ == key->key()) overriddenKey_ = 0;
    }
    if (!claimedKeys_.contains(key->key())) return false;
    if (!key->isAutoRepeat()) claimedKeys_.remove(key->key());
    return true;
  }
  QAction* command = nullptr;
  for (QAction* action : {undoAction_, redoAction_, overviewAction_})
    if (IsOneOf(*key, action->shortcuts())) command = action;
  if (type == QEvent::ShortcutOverride) {
    overriddenKey_ = key->key();
    // Taken over here, so that a field's own undo never sees them, enabled or not.
    if (!command) return false;
    event->accept();
    return true;
  }
  // The press reached the window, so no shortcut took it; a fresh press owes nothing to an
  // earlier command.
  overriddenKey_ = 0;
  if (!key->isAutoRepeat()) {
    heldKeys_.insert(key->key());
    claimedKeys_.remove(key->key());
  }
  if (command) {
    ClaimHeldKeys();
    if (command->isEnabled()) command->trigger();
    return true;
  }
  if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
    bool letGo = false;
    RunHandler([this, &letGo] { letGo = editor_->Escape(); });
    if (letGo) ClaimHeldKeys();
    return letGo;
  }
  return false;
}

void TForm1::keyReleaseEvent(QKeyEvent* event) {
  // Releases inside a control reach here by propagation; only the window's own focus counts.
  QWidget* focus = QApplication::focusWidget();
  if (event->isAutoRepeat() || (focus && focus != this && focus != surface_)) {
    QMainWindow::keyReleaseEvent(event);
    return;
  }
  RunHandler([this] { editor_->FormKeyUp(); });
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The window system tells the frame's size only once the window is on screen.
  if (!frameKnown_) {
    frameKnown_ = true;
    QMetaObject::invokeMethod(
        this, [this] { desktop::PlaceWindowFrame(*this, FramePosition, OuterSize); }, Qt::QueuedConnection);
  }
}

std::optional<std::filesystem::path> TForm1::ChooseFile(const editor::FileDialogRequest& request) {
  openDialog1_->setWindowTitle(QString::fromUtf8(request.title));
  openDialog1_->setNameFilter(NameFilterOf(request.filter));
  if (request.proposedName) dialogFileName_ = QString::fromUtf8(*request.proposedName);
  if (!dialogFileName_.isEmpty()) openDialog1_->selectFile(dialogFileName_);
  if (openDialog1_->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = openDialog1_->selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  dialogFileName_ = chosen.first();
  return std::filesystem::path(QFile::encodeName(dialogFileName_).toStdString());
}

void TForm1::ShowError(const std::string& text) { presentError_(windowTitle(), QString::fromUtf8(text)); }

void TForm1::SetPlayersField(const std::string& text) { edit2_->setText(QString::fromUtf8(text)); }

void TForm1::SetStatusPanel(int panel, const std::string& text) {
  statusBar1_->SetPanelText(panel, QString::fromUtf8(text));
}

int TForm1::YearFieldValue() { return spinEdit1_->Value(); }

void TForm1::SetYearFieldValue(int value) { spinEdit1_->SetValue(value); }

void TForm1::ShowYear(int value) {
  const QSignalBlocker quiet(spinEdit1_);
  spinEdit1_->SetValue(value);
}

int TForm1::UpDownPosition() { return upDown1_->Position(); }

void TForm1::SetUpDown(int maximum, int position) {
  upDown1_->SetMaximum(maximum);
  upDown1_->SetPosition(position);
}

void TForm1::ToggleReferenceWindow() {
  if (referenceWindow_) referenceWindow_->ToggleReferenceWindow();
}

void TForm1::CloseMainWindow() { close(); }

void TForm1::WindowSurfaceChanged() { surface_->update(); }

}  // namespace desktop
