#include "ui/palette_panel.h"
#include "ui/ui_texts.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/files/messages.h"
#include "ui/panel_image.h"

namespace tessel {

namespace {

const char* const kEmptyHint = "右键单击: 添加当前颜色、导入色板";
const char* const kAddColour = "添加当前颜色";
const char* const kDeleteColour = "删除颜色";
const char* const kNewTab = "新建标签";
const char* const kDeleteTab = "删除标签";
const char* const kRenameTab = "重命名标签";
const char* const kRightPicks = "右键单击色块: 选取另一个颜色";
const char* const kImport = "导入色板...";
const char* const kExport = "导出色板...";
const char* const kFromImage = "从图像生成色板...";
const char* const kPaletteFilter = "色板文件 (*.tpl);;Adobe色板 (*.aco)";
const char* const kExportFilter = "色板文件 (*.tpl)";
const char* const kImageFilter = "图像文件 (*.bmp *.png *.jpg *.jpeg *.gif)";

QString u(const char* s) { return trq(s); }

}  // namespace

void SwatchView::setColours(const uint32_t* colours, int count, SwatchLayout layout, int marked) {
  colours_ = colours;
  count_ = count;
  layout_ = layout;
  marked_ = marked;
  redraw();
}

void SwatchView::redraw() {
  layout_.columns = fixedColumns > 0 ? fixedColumns : std::max(1, (width() - 1) / (layout_.cellW + 1));
  drawSwatches(image_, width(), colours_, colours_ ? count_ : 0, layout_, marked_);
  setMinimumHeight(image_.height());
  update();
}

void SwatchView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0xC0, 0xC0, 0xC0));
  p.drawImage(0, 0, toPanelImage(image_));
  if (count_ == 0 && !emptyHint.isEmpty()) {
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawText(rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, emptyHint);
  }
}

void SwatchView::mousePressEvent(QMouseEvent* event) {
  const int index = indexAt(event->position().toPoint());
  if (clicked) clicked(index, event->button());
}

void SwatchView::resizeEvent(QResizeEvent*) {
  const int columns =
      fixedColumns > 0 ? fixedColumns : std::max(1, (width() - 1) / (layout_.cellW + 1));
  if (columns != layout_.columns || image_.width() != width()) redraw();
}

PalettePanel::PalettePanel(PaletteSet& set, DrawSettings& draw, PaletteModel::TabNames* names, int cellW,
                           int cellH, QWidget* parent)
    : QWidget(parent), model_(set, draw, names) {
  setObjectName(QStringLiteral("palettePanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  tabs_ = new QTabBar(this);
  tabs_->setObjectName(QStringLiteral("paletteTabs"));
  tabs_->setExpanding(false);
  tabs_->setDrawBase(false);
  layout->addWidget(tabs_);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  view_ = new SwatchView(scroll);
  view_->setObjectName(QStringLiteral("paletteSwatches"));
  view_->layout().cellW = std::clamp(cellW, 4, 64);
  view_->layout().cellH = std::clamp(cellH, 4, 64);
  view_->emptyHint = u(kEmptyHint);
  scroll->setWidget(view_);
  layout->addWidget(scroll, 1);

  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    model_.selectTab(index);
    pressed_ = -1;
    refresh();
  });
  connect(tabs_, &QTabBar::tabBarDoubleClicked, this, [this](int index) { renameTab(index); });
  view_->clicked = [this](int index, Qt::MouseButton button) {
    if (button != Qt::LeftButton || index < 0) return;
    pressed_ = index;
    if (model_.pick(index) && colourPicked) colourPicked();
    refresh();
  };
  rebuildTabs();
}

void PalettePanel::rebuildTabs() {
  QSignalBlocker block(tabs_);
  while (tabs_->count() > model_.tabCount()) tabs_->removeTab(tabs_->count() - 1);
  while (tabs_->count() < model_.tabCount()) tabs_->addTab(QString());
  for (int i = 0; i < tabs_->count(); ++i) tabs_->setTabText(i, QString::fromStdString(model_.tabName(i)));
  if (model_.tabCount() > 0) tabs_->setCurrentIndex(model_.tab());
  refresh();
}

void PalettePanel::refresh() {
  if (tabs_->count() != model_.tabCount()) return rebuildTabs();
  view_->setColours(model_.tabCount() ? model_.colours() : nullptr, model_.usedCount(),
                    view_->layout(), pressed_);
}

void PalettePanel::pickAt(QPoint p) {
  const int index = view_->indexAt(p);
  if (view_->clicked) view_->clicked(index, Qt::LeftButton);
}

void PalettePanel::renameTab(int index) {
  if (index < 0 || index >= tabs_->count()) return;
  bool ok = false;
  QString name = QInputDialog::getText(this, u(kRenameTab), u(kRenameTab), QLineEdit::Normal,
                                       QString::fromStdString(model_.tabName(index)), &ok);
  if (!ok || !model_.renameTab(index, name.toStdString())) return;
  tabs_->setTabText(index, QString::fromStdString(model_.tabName(index)));
}

void PalettePanel::contextMenuEvent(QContextMenuEvent* event) {
  const int cell = view_->indexAt(view_->mapFrom(this, event->pos()));
  const bool rightPicks = rightButtonAction && *rightButtonAction == kRightPicksOther;
  if (rightPicks && cell >= 0 && event->reason() == QContextMenuEvent::Mouse) {
    if (model_.pick(cell, true) && colourPicked) colourPicked();
    return;
  }
  QMenu menu(this);
  menu.addAction(u(kAddColour), this, [this] {
    model_.addCurrent();
    rebuildTabs();
  });
  QAction* del = menu.addAction(u(kDeleteColour), this, [this, cell] {
    model_.remove(cell);
    pressed_ = -1;
    refresh();
  });
  del->setEnabled(cell >= 0);
  menu.addSeparator();
  menu.addAction(u(kNewTab), this, [this] {
    model_.addTab();
    rebuildTabs();
  })->setEnabled(model_.tabCount() < kPaletteTabs);
  menu.addAction(u(kDeleteTab), this, [this] {
    model_.removeTab();
    rebuildTabs();
  })->setEnabled(model_.tabCount() > 0);
  menu.addAction(u(kRenameTab), this, [this] { renameTab(model_.tab()); })
      ->setEnabled(model_.tabCount() > 0);
  menu.addSeparator();
  menu.addAction(u(kImport), this, [this] { chooseImport(); });
  menu.addAction(u(kExport), this, [this] { chooseExport(); })->setEnabled(model_.tabCount() > 0);
  menu.addAction(u(kFromImage), this, [this] { chooseImage(); });
  if (rightButtonAction) {
    menu.addSeparator();
    QAction* a = menu.addAction(u(kRightPicks), this, [this, rightPicks] {
      *rightButtonAction = rightPicks ? 0 : kRightPicksOther;
    });
    a->setCheckable(true);
    a->setChecked(rightPicks);
  }
  menu.exec(event->globalPos());
}

bool PalettePanel::importFrom(const QString& path) {
  if (!model_.importFile(path.toStdString())) {
    QMessageBox::warning(this, QString(), u(kMsgFormatError));
    return false;
  }
  rebuildTabs();
  return true;
}

bool PalettePanel::exportTo(const QString& path) {
  if (!model_.exportFile(path.toStdString())) {
    QMessageBox::warning(this, QString(), u(kMsgSaveFailed));
    return false;
  }
  return true;
}

bool PalettePanel::fromImage(const QString& path) {
  if (!model_.fromImage(path.toStdString())) {
    QMessageBox::warning(this, QString(), u(kMsgOpenImageFailed));
    return false;
  }
  rebuildTabs();
  return true;
}

void PalettePanel::chooseImport() {
  QString path = QFileDialog::getOpenFileName(this, u(kImport), QString(), u(kPaletteFilter));
  if (!path.isEmpty()) importFrom(path);
}

void PalettePanel::chooseExport() {
  QString path = QFileDialog::getSaveFileName(this, u(kExport), QString(), u(kExportFilter));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".tpl"), Qt::CaseInsensitive)) path += QStringLiteral(".tpl");
  exportTo(path);
}

void PalettePanel::chooseImage() {
  QString path = QFileDialog::getOpenFileName(this, u(kFromImage), QString(), u(kImageFilter));
  if (!path.isEmpty()) fromImage(path);
}

}  // namespace tessel
