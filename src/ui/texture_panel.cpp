#include "ui/texture_panel.h"
#include "ui/ui_texts.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/application.h"
#include "app/files/messages.h"
#include "app/models/texture_model.h"

namespace tessel {

namespace {

const char* const kAddTexture = "添加纹理...";
const char* const kRemoveTexture = "删除纹理";
const char* const kOpenLibrary = "打开纹理库...";
const char* const kSaveLibrary = "保存纹理库...";
const char* const kLibraryFilter = "纹理库(*.tst)";
const char* const kImageFilter = "图像文件 (*.bmp *.png *.jpg *.jpeg *.gif)";
const char* const kViewSize = "视图大小";
const char* const kViewSizeNames[kTextureViewSizes] = {"小", "中", "大"};
const char* const kEmptyHint = "右键单击: 添加纹理、打开纹理库";

QString u(const char* s) { return trq(s); }

// Texture bytes are inverted luminance: 255 shows black.
QIcon thumbnail(const TextureLibrary::Texture& t, int side) {
  QImage grey(t.width, t.height, QImage::Format_Grayscale8);
  for (int y = 0; y < t.height; ++y) {
    uchar* row = grey.scanLine(y);
    for (int x = 0; x < t.width; ++x) row[x] = uchar(255 - t.pixels[size_t(y) * t.width + x]);
  }
  QImage square(side, side, QImage::Format_RGB32);
  square.fill(Qt::white);
  QImage scaled = grey.scaled(side, side, Qt::KeepAspectRatio, Qt::FastTransformation);
  for (int y = 0; y < scaled.height(); ++y)
    for (int x = 0; x < scaled.width(); ++x) square.setPixel(x, y, scaled.pixel(x, y));
  return QIcon(QPixmap::fromImage(square));
}

}  // namespace

TexturePanel::TexturePanel(Application& app, QWidget* parent) : QWidget(parent), app_(app) {
  setObjectName(QStringLiteral("texturePanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("textureList"));
  list_->setViewMode(QListView::IconMode);
  const int side = textureThumbSide(app_.config.texViewSize);
  list_->setIconSize(QSize(side, side));
  list_->setResizeMode(QListView::Adjust);
  list_->setMovement(QListView::Static);
  list_->setUniformItemSizes(true);
  list_->setWordWrap(true);
  list_->setContextMenuPolicy(Qt::NoContextMenu);
  layout->addWidget(list_);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) choose(row);
  });
  // A click on the texture already chosen still switches textures on.
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    choose(list_->row(item));
  });
  refresh();
}

void TexturePanel::refresh() {
  QSignalBlocker block(list_);
  list_->clear();
  for (int i = 0; i < app_.textures.count(); ++i) {
    TextureLibrary::Texture t = app_.textures.at(i);
    auto* item = new QListWidgetItem(thumbnail(t, list_->iconSize().width()), QString::number(i), list_);
    item->setToolTip(QStringLiteral("%1: %2 x %3").arg(i).arg(t.width).arg(t.height));
  }
  list_->setToolTip(app_.textures.count() == 0 ? u(kEmptyHint) : QString());
  if (app_.textures.count() == 0) {
    auto* hint = new QListWidgetItem(u(kEmptyHint), list_);
    hint->setFlags(Qt::NoItemFlags);
  }
  const int sel = app_.painting.draw.textureSel;
  if (sel >= 0 && sel < app_.textures.count()) list_->setCurrentRow(sel);
}

void TexturePanel::choose(int index) {
  if (index < 0 || index >= app_.textures.count()) return;
  app_.painting.draw.textureSel = index;
  app_.painting.draw.textureOn = true;
  {
    QSignalBlocker block(list_);
    list_->setCurrentRow(index);
  }
  // The tool options show the texture number.
  if (app_.painting.input.hooks.colourChanged) app_.painting.input.hooks.colourChanged();
}

void TexturePanel::libraryChanged() {
  app_.syncBrushTextures();
  auto& sel = app_.painting.draw.textureSel;
  sel = std::clamp(sel, 0, std::max(0, app_.textures.count() - 1));
  refresh();
}

bool TexturePanel::addFrom(const QString& path) {
  if (!app_.textures.addTexture(path.toStdString(), -1)) {
    QMessageBox::warning(this, QString(), u(kMsgOpenImageFailed));
    return false;
  }
  libraryChanged();
  choose(app_.textures.count() - 1);
  return true;
}

bool TexturePanel::loadLibrary(const QString& path) {
  if (!replaceTextureLibrary(app_.textures, path.toStdString())) {
    QMessageBox::warning(this, QString(), u(kMsgFormatError));
    return false;
  }
  libraryChanged();
  return true;
}

bool TexturePanel::saveLibrary(const QString& path) {
  if (!app_.textures.save(path.toStdString(), false)) {
    QMessageBox::warning(this, QString(), u(kMsgSaveFailed));
    return false;
  }
  return true;
}

void TexturePanel::removeCurrent() {
  const int row = list_->currentRow();
  if (row < 0 || row >= app_.textures.count()) return;
  app_.textures.removeTexture(row);
  libraryChanged();
}

void TexturePanel::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(u(kAddTexture), this, [this] {
    QString path = QFileDialog::getOpenFileName(this, u(kAddTexture), QString(), u(kImageFilter));
    if (!path.isEmpty()) addFrom(path);
  })->setEnabled(app_.textures.count() < kMaxTextures);
  menu.addAction(u(kRemoveTexture), this, [this] { removeCurrent(); })
      ->setEnabled(list_->currentRow() >= 0);
  menu.addSeparator();
  menu.addAction(u(kOpenLibrary), this, [this] {
    QString path = QFileDialog::getOpenFileName(this, u(kOpenLibrary), QString(), u(kLibraryFilter));
    if (!path.isEmpty()) loadLibrary(path);
  });
  menu.addAction(u(kSaveLibrary), this, [this] {
    QString path = QFileDialog::getSaveFileName(this, u(kSaveLibrary), QString(), u(kLibraryFilter));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".tst"), Qt::CaseInsensitive)) path += QStringLiteral(".tst");
    saveLibrary(path);
  });
  menu.addSeparator();
  QMenu* sizes = menu.addMenu(u(kViewSize));
  for (int i = 0; i < kTextureViewSizes; ++i) {
    QAction* a = sizes->addAction(u(kViewSizeNames[i]), this, [this, i] { setViewSize(i); });
    a->setCheckable(true);
    a->setChecked(textureThumbSide(app_.config.texViewSize) == textureThumbSide(i));
  }
  menu.exec(event->globalPos());
}

void TexturePanel::setViewSize(int size) {
  app_.config.texViewSize = size;
  const int side = textureThumbSide(size);
  list_->setIconSize(QSize(side, side));
  refresh();
}

}  // namespace tessel
