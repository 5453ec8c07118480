#include "ui/image_viewer_panel.h"
#include "ui/ui_texts.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/models/image_viewer_model.h"
#include "ui/panel_image.h"

namespace tessel {

namespace {

const char* const kChooseFolder = "选择文件夹...";
const char* const kThumbSize = "缩略图大小";
const char* const kShowNames = "显示文件名";
constexpr int kScales[] = {50, 100, 150, 200};

int sideFor(int percent) { return ImageViewerPanel::kThumbSide * std::clamp(percent, 25, 400) / 100; }

QPixmap blankThumb(int side) {
  QPixmap p(side, side);
  p.fill(QColor(0xE0, 0xE0, 0xE0));
  return p;
}

// A file that does not read: a crossed box, not a picture still to come.
QIcon unreadableThumb(int side) {
  QPixmap p(side, side);
  p.fill(QColor(0xF4, 0xF4, 0xF4));
  QPainter painter(&p);
  painter.setPen(QColor(0xC0, 0x40, 0x40));
  const int m = side / 4;
  painter.drawRect(m, m, side - 2 * m, side - 2 * m);
  painter.drawLine(m, m, side - m, side - m);
  painter.drawLine(side - m, m, m, side - m);
  return QIcon(p);
}

}  // namespace

ImageViewerPanel::ImageViewerPanel(Application& app, QWidget* parent)
    : QWidget(parent), app_(app), loader_(cache_, sideFor(app.config.imgVScale), ThumbnailLoader::defaultThreads()) {
  setObjectName(QStringLiteral("imageViewerPanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  auto* top = new QHBoxLayout;
  auto* choose = new QToolButton(this);
  choose->setText(QStringLiteral("..."));
  choose->setToolTip(trq(kChooseFolder));
  path_ = new QLabel(this);
  path_->setMinimumWidth(10);
  top->addWidget(choose);
  top->addWidget(path_, 1);
  layout->addLayout(top);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("imageViewerList"));
  list_->setViewMode(QListView::IconMode);
  applyGrid();
  list_->setResizeMode(QListView::Adjust);
  list_->setMovement(QListView::Static);
  list_->setUniformItemSizes(true);
  layout->addWidget(list_, 1);
  connect(choose, &QToolButton::clicked, this, [this] { chooseFolder(); });
  connect(list_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { openRow(list_->row(item)); });
  connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { prioritizeVisible(); });
  if (!app_.config.imgVDir.empty()) showFolder(QString::fromStdString(app_.config.imgVDir));
}

ImageViewerPanel::~ImageViewerPanel() { stopWorker(); }

void ImageViewerPanel::stopWorker() {
  if (cancel_) cancel_->store(true);
  loader_.stop();
  cancel_.reset();
}

void ImageViewerPanel::prioritizeVisible() {
  const QRect view = list_->viewport()->rect();
  int first = -1, last = -1;
  for (int i = 0; i < list_->count(); ++i) {
    if (!list_->visualItemRect(list_->item(i)).intersects(view)) continue;
    if (first < 0) first = i;
    last = i;
  }
  if (first >= 0) loader_.prioritize(size_t(first), size_t(last) + 1);
}

void ImageViewerPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  prioritizeVisible();
}

void ImageViewerPanel::chooseFolder() {
  QString dir = QFileDialog::getExistingDirectory(this, trq(kChooseFolder), folder_);
  if (!dir.isEmpty()) showFolder(dir);
}

void ImageViewerPanel::showFolder(const QString& folder) {
  stopWorker();
  folder_ = folder;
  app_.config.imgVDir = folder.toStdString();
  path_->setText(folder);
  path_->setToolTip(folder);
  list_->clear();
  done_ = 0;
  const std::string base = folder.toStdString();
  std::vector<std::string> paths;
  const QPixmap blank = blankThumb(thumbSide());
  const bool names = (app_.config.imgVFlag & kNamesHiddenFlag) == 0;
  for (const std::string& name : listViewerFiles(base)) {
    auto* item = new QListWidgetItem(QIcon(blank), names ? QString::fromStdString(name) : QString(), list_);
    item->setToolTip(QString::fromStdString(name));
    paths.push_back(base + "/" + name);
    item->setData(Qt::UserRole, QString::fromStdString(paths.back()));
  }
  applyGrid();
  // Rows in view first, then the list's order.
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  loader_.start(std::move(paths), [this, cancel = cancel_](size_t i, ThumbnailCache::Picture thumb) {
    QMetaObject::invokeMethod(this, [this, i, thumb, cancel] {
      if (cancel->load() || int(i) >= list_->count()) return;
      ++done_;
      list_->item(int(i))->setIcon(thumb ? QIcon(QPixmap::fromImage(toPanelImage(*thumb))) : unreadableThumb(thumbSide()));
    }, Qt::QueuedConnection);
  });
  prioritizeVisible();
}

// Cells fixed to the thumbnail and one line of name, so names never run
// into the next row.
void ImageViewerPanel::applyGrid() {
  const int side = thumbSide();
  list_->setIconSize(QSize(side, side));
  const bool names = (app_.config.imgVFlag & kNamesHiddenFlag) == 0;
  const QSize cell(side + 8, side + 6 + (names ? list_->fontMetrics().height() + 2 : 0));
  list_->setGridSize(cell);
  list_->setTextElideMode(Qt::ElideMiddle);
  for (int i = 0; i < list_->count(); ++i) list_->item(i)->setSizeHint(cell);
}

void ImageViewerPanel::setScale(int percent) {
  app_.config.imgVScale = percent;
  loader_.setSide(sideFor(percent));
  applyGrid();
  if (!folder_.isEmpty()) showFolder(folder_);
}

void ImageViewerPanel::setNamesShown(bool shown) {
  int& flags = app_.config.imgVFlag;
  flags = shown ? flags & ~kNamesHiddenFlag : flags | kNamesHiddenFlag;
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    item->setText(shown ? item->toolTip() : QString());
  }
  applyGrid();
  prioritizeVisible();
}

void ImageViewerPanel::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QMenu* sizes = menu.addMenu(trq(kThumbSize));
  for (int scale : kScales) {
    QAction* a = sizes->addAction(QStringLiteral("%1%").arg(scale), this, [this, scale] { setScale(scale); });
    a->setCheckable(true);
    a->setChecked(app_.config.imgVScale == scale);
  }
  const bool shown = (app_.config.imgVFlag & kNamesHiddenFlag) == 0;
  QAction* names = menu.addAction(trq(kShowNames), this, [this, shown] { setNamesShown(!shown); });
  names->setCheckable(true);
  names->setChecked(shown);
  menu.exec(event->globalPos());
}

bool ImageViewerPanel::openRow(int row) {
  QListWidgetItem* item = list_->item(row);
  if (!item || !app_.files) return false;
  return app_.files->openDropped({item->data(Qt::UserRole).toString().toStdString()});
}

}  // namespace tessel
