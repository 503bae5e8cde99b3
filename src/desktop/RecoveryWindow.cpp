#include "desktop/RecoveryWindow.h"

#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>


namespace desktop {

RecoveryWindow::RecoveryWindow(QWidget* mainWindow, Action restore, Action remove)
    : QDialog(mainWindow, Qt::Tool), restore_(std::move(restore)), remove_(std::move(remove)) {
  setObjectName("RecoveryWindow");
  setWindowTitle("Несохранённые правки");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setModal(false);
  resize(InitialSize);

  list_ = new QTreeWidget(this);
  list_->setObjectName("RecoveryList");
  list_->setHeaderLabels({"Год", "Правка", "Изменения"});
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->header()->setStretchLastSection(true);
  restoreButton_ = new QPushButton("Восстановить", this);
  restoreButton_->setObjectName("RestoreCopy");
  restoreButton_->setDefault(true);  // Enter in the window
  removeButton_ = new QPushButton("Удалить", this);
  removeButton_->setObjectName("DeleteCopy");
  removeButton_->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(restoreButton_);
  buttons->addWidget(removeButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);

  connect(restoreButton_, &QPushButton::clicked, this, [this] {
    if (const editor::RecoveryRecord* copy = Selected(); copy && !copy->damaged) restore_(*copy);
  });
  connect(removeButton_, &QPushButton::clicked, this, [this] {
    if (const editor::RecoveryRecord* copy = Selected()) remove_(*copy);
  });
  connect(list_, &QTreeWidget::itemActivated, restoreButton_, &QPushButton::click);
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
}

void RecoveryWindow::SetCopies(const editor::RecoveryStore& store, const std::vector<editor::RecoveryRecord>& copies) {
  copies_ = copies;
  list_->clear();
  for (const editor::RecoveryRecord& copy : copies_) {
    const QString when = copy.damaged ? QString() : QDateTime::fromSecsSinceEpoch(copy.lastEdit).toString("dd.MM.yyyy HH:mm:ss");
    const QString year = copy.damaged ? QString("?") : QString::number(copy.year);
    auto* item = new QTreeWidgetItem(list_, {year, when, QString::fromUtf8(editor::CopyChangesText(store, copy))});
    item->setToolTip(2, QString::fromUtf8(copy.TurnFile().string()));
  }
  if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
  list_->resizeColumnToContents(0);
  list_->resizeColumnToContents(1);
  UpdateButtons();
}

void RecoveryWindow::Offer() {
  if (!placed_ && parentWidget()) {
    placed_ = true;
    const QRect main = parentWidget()->frameGeometry();
    QPoint at(main.right() + 1, main.top() + 40);
    if (const QScreen* screen = parentWidget()->screen()) {
      const QRect available = screen->availableGeometry();
      if (at.x() + width() > available.right()) at.setX(std::max(available.left(), available.right() - width()));
    }
    move(at);
  }
  show();
  raise();
}

int RecoveryWindow::RowCount() const { return list_->topLevelItemCount(); }

QStringList RecoveryWindow::RowTexts(int row) const {
  const QTreeWidgetItem* item = list_->topLevelItem(row);
  if (!item) return {};
  return {item->text(0), item->text(1), item->text(2)};
}

const editor::RecoveryRecord* RecoveryWindow::Selected() const {
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  return row >= 0 && row < int(copies_.size()) ? &copies_[size_t(row)] : nullptr;
}

void RecoveryWindow::UpdateButtons() {
  const editor::RecoveryRecord* copy = Selected();
  restoreButton_->setEnabled(copy && !copy->damaged);
  removeButton_->setEnabled(copy != nullptr);
}

}  // namespace desktop
