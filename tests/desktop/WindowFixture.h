#pragma once
// The editor's windows opened as the program opens them, in a scratch folder with small start-up
// files, with errors recorded instead of shown in a modal box.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "EditorFixture.h"
#include "desktop/PanelStatusBar.h"
#include "desktop/TForm1.h"
#include "desktop/TForm2.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& texts, std::ostream* out) { *out << '[' << texts.join(" | ").toStdString() << ']'; }

namespace editor::testing {

using desktop::PanelStatusBar;
using desktop::TForm1;
using desktop::TForm2;
using desktop::UpDownButtons;

class WindowTest : public ScratchFolderTest {
 protected:
  void TearDown() override {
    form1.reset();
    ScratchFolderTest::TearDown();
  }

  // Program entry: the main window with its start-up, the hidden reference window, showing.
  void Open(std::optional<WorldLocation> world = std::nullopt) {
    form1 = std::make_unique<TForm1>(
        [this](const QString& title, const QString& text) {
          EXPECT_EQ(title, "Tirmagor - редактор") << "the error box's caption";
          errors << text;
        },
        world);
    form2 = &form1->CreateReferenceWindow();
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));
  }

  // Window activation arrives from the window system after the request.
  static bool WaitUntilActive(QWidget* window) {
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
  }

  template <class T = QWidget>
  T* Control(const char* name) { return form1->findChild<T*>(name); }
  QLineEdit* spinEdit1() { return Control<QLineEdit>("SpinEdit1"); }
  QStringList StatusTexts() {
    QStringList texts;
    for (int i = 0; i < 4; ++i) texts << Control<PanelStatusBar>("StatusBar1")->PanelAt(i).text;
    return texts;
  }
  void Trigger(const char* action) { Control<QAction>(action)->trigger(); }
  Editor& editor() { return form1->editor(); }
  QWidget* surface() { return form1->centralWidget(); }
  QWindow* window() { return form1->windowHandle(); }
  // A client-area pixel in the coordinates of the window system's window (below the menu bar).
  QPoint InWindow(QPoint client) { return surface()->mapTo(form1.get(), client); }
  void Click(Qt::MouseButton button, QPoint client) { QTest::mouseClick(window(), button, {}, InWindow(client)); }

  // Answers the next showing of the shared file dialog from inside its modal loop.
  void AnswerDialog(std::function<void(QFileDialog&)> answer) {
    QTimer::singleShot(0, form1.get(), [this, answer] {
      auto* dialog = Control<QFileDialog>("OpenDialog1");
      if (dialog->isVisible()) answer(*dialog);
      else ADD_FAILURE() << "the file dialog is not showing";
      if (dialog->isVisible()) dialog->reject();
    });
  }

  std::unique_ptr<TForm1> form1;
  desktop::TForm2* form2 = nullptr;  // owned by form1
  QStringList errors;
};

}  // namespace editor::testing
