#include "ui/settings_dialog.h"
#include "ui/ui_texts.h"

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "app/files/recent_lists.h"
#include "image/size_limits.h"
#include "resources/strings.h"
#include "ui/virtual_keys.h"

namespace tessel {

namespace {

QString u(const char* text) { return trq(text); }

// A '/'-terminated list as combo box entries.
void fillFromList(QComboBox* box, const char* list, int current) {
  for (const QString& item : u(list).split(QLatin1Char('/'), Qt::SkipEmptyParts)) box->addItem(item);
  box->setCurrentIndex(current);
}

QDialogButtonBox* okCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(trq("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setText(trq("取消"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

EnvSettingsDialog::EnvSettingsDialog(const EnvSettings& env, QWidget* parent) : QDialog(parent) {
  setWindowTitle(u(env_text::kTitle));
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->addTab(generalTab(env), u(env_text::kTabs[0]));
  tabs_->addTab(paintingTab(env), u(env_text::kTabs[1]));
  tabs_->addTab(filesTab(env), u(env_text::kTabs[2]));
  layout->addWidget(tabs_);
  layout->addWidget(okCancel(this));
}

QSpinBox* EnvSettingsDialog::makeSpin(Spin s, int value, EnvRange range) {
  auto* box = new QSpinBox(this);
  box->setRange(range.low, range.high);
  box->setValue(range.clamp(value));
  spins_[size_t(s)] = box;
  return box;
}

QCheckBox* EnvSettingsDialog::makeOptBox(int bit, uint32_t flags) {
  auto* box = new QCheckBox(u(kOptFlagBoxes[size_t(bit)].label), this);
  box->setChecked((flags & kOptFlagBoxes[size_t(bit)].bit) != 0);
  opt_[size_t(bit)] = box;
  return box;
}

QWidget* EnvSettingsDialog::generalTab(const EnvSettings& env) {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  for (int bit = 0; bit < 4; ++bit) form->addRow(makeOptBox(bit, env.optFlag));
  auto* size = new QHBoxLayout;
  size->addWidget(new QLabel(u(env_text::kWidth), page));
  size->addWidget(makeSpin(kDefW, env.defImgW, env_range::kImageSide));
  size->addWidget(new QLabel(u(env_text::kHeight), page));
  size->addWidget(makeSpin(kDefH, env.defImgH, env_range::kImageSide));
  form->addRow(u(env_text::kDefaultSize), size);
  form->addRow(u(env_text::kUndo), makeSpin(kUndo, env.undoCnt, env_range::kUndo));
  form->addRow(u(env_text::kScaleDown), makeSpin(kScaleDown, env.scaleDAdd, env_range::kScaleDown));
  form->addRow(u(env_text::kScaleUp), makeSpin(kScaleUp, env.scaleUAdd, env_range::kScaleUp));
  language_ = new QComboBox(page);
  for (const char* choice : env_text::kLanguageChoices) language_->addItem(u(choice));
  language_->setCurrentIndex(int(env.language));
  language_->setToolTip(u(env_text::kLanguageNextStart));
  form->addRow(u(env_text::kLanguage), language_);
  return page;
}

QWidget* EnvSettingsDialog::paintingTab(const EnvSettings& env) {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  for (int bit = 4; bit < 7; ++bit) form->addRow(makeOptBox(bit, env.optFlag));
  form->addRow(u(env_text::kBrushCircle), makeSpin(kBrushCircle, env.brushCirSize, env_range::kBrushCircle));
  for (size_t bit = 0; bit < tablet_.size(); ++bit) {
    tablet_[bit] = new QCheckBox(u(kTabletBoxes[bit].label), page);
    tablet_[bit]->setChecked((env.tabletFlag & kTabletBoxes[bit].bit) != 0);
    form->addRow(tablet_[bit]);
  }
  taleTool_ = new QComboBox(page);
  for (const char* name : text::kToolNames) taleTool_->addItem(u(name));
  taleTool_->setCurrentIndex(env.taleTool);
  form->addRow(u(env_text::kTaleTool), taleTool_);
  const char* sideLabels[2] = {env_text::kTabSide1, env_text::kTabSide2};
  const int sides[2] = {env.tabSide1, env.tabSide2};
  for (size_t n = 0; n < side_.size(); ++n) {
    side_[n] = new QComboBox(page);
    fillFromList(side_[n], env_text::kSideActions, sides[n]);
    form->addRow(u(sideLabels[n]), side_[n]);
  }
  return page;
}

QWidget* EnvSettingsDialog::filesTab(const EnvSettings& env) {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  auto* jpeg = new QHBoxLayout;
  jpeg->addWidget(makeSpin(kJpegQuality, env.jpegQuality, env_range::kJpegQuality));
  progressive_ = new QCheckBox(u(env_text::kJpegProgressive), page);
  progressive_->setChecked(env.jpegProgressive);
  jpeg->addWidget(progressive_);
  form->addRow(u(env_text::kJpeg), jpeg);
  form->addRow(u(env_text::kPng), makeSpin(kPngLevel, env.pngComp, env_range::kPngLevel));
  form->addRow(u(env_text::kAutosave), makeSpin(kAutosave, env.autosaveMin, env_range::kAutosave));
  flattenAsk_ = new QCheckBox(u(env_text::kFlattenAsk), page);
  flattenAsk_->setChecked(env.flattenAsk);
  form->addRow(flattenAsk_);
  const char* labels[kColourCount] = {env_text::kCanvasColour, env_text::kCheckColour1, env_text::kCheckColour2};
  const uint32_t values[kColourCount] = {env.canvBkCol, env.checkCol1, env.checkCol2};
  for (int c = 0; c < kColourCount; ++c) {
    colourButtons_[size_t(c)] = new QPushButton(page);
    colourButtons_[size_t(c)]->setFixedSize(48, 20);
    connect(colourButtons_[size_t(c)], &QPushButton::clicked, this, [this, c] { pickColour(Colour(c)); });
    setColour(Colour(c), values[c]);
    form->addRow(u(labels[c]), colourButtons_[size_t(c)]);
  }
  return page;
}

void EnvSettingsDialog::setColour(Colour c, uint32_t rgb) {
  colours_[size_t(c)] = rgb & 0xFFFFFF;
  colourButtons_[size_t(c)]->setStyleSheet(
      QStringLiteral("background-color: #%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')));
}

void EnvSettingsDialog::pickColour(Colour c) {
  QColor chosen = QColorDialog::getColor(QColor::fromRgb(QRgb(colours_[size_t(c)])), this);
  if (chosen.isValid()) setColour(c, uint32_t(chosen.rgb()) & 0xFFFFFF);
}

EnvSettings EnvSettingsDialog::values() const {
  EnvSettings e;
  e.optFlag = 0;
  for (size_t bit = 0; bit < opt_.size(); ++bit)
    if (opt_[bit]->isChecked()) e.optFlag |= kOptFlagBoxes[bit].bit;
  e.tabletFlag = 0;
  for (size_t bit = 0; bit < tablet_.size(); ++bit)
    if (tablet_[bit]->isChecked()) e.tabletFlag |= kTabletBoxes[bit].bit;
  e.defImgW = spin(kDefW)->value(), e.defImgH = spin(kDefH)->value();
  e.scaleDAdd = spin(kScaleDown)->value(), e.scaleUAdd = spin(kScaleUp)->value();
  e.undoCnt = spin(kUndo)->value();
  e.brushCirSize = spin(kBrushCircle)->value();
  e.taleTool = taleTool_->currentIndex();
  e.language = text::LanguageChoice(std::clamp(language_->currentIndex(), 0, 2));
  e.tabSide1 = side_[0]->currentIndex(), e.tabSide2 = side_[1]->currentIndex();
  e.jpegQuality = spin(kJpegQuality)->value();
  e.jpegProgressive = progressive_->isChecked();
  e.pngComp = spin(kPngLevel)->value();
  e.autosaveMin = spin(kAutosave)->value();
  e.flattenAsk = flattenAsk_->isChecked();
  e.canvBkCol = colours_[kCanvas], e.checkCol1 = colours_[kCheck1], e.checkCol2 = colours_[kCheck2];
  return e;
}

KeyAssignDialog::KeyAssignDialog(const KeyTable& keys, QWidget* parent)
    : QDialog(parent), keys_(keys), rows_(keyDialogRows()) {
  setWindowTitle(trq("快捷键设置"));
  auto* layout = new QVBoxLayout(this);
  table_ = new QTableWidget(int(rows_.size()), 2, this);
  table_->setHorizontalHeaderLabels({trq("功能"), trq("按键")});
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Every key goes to the dialog, so arrows, Enter and Esc can be assigned too.
  table_->setFocusPolicy(Qt::NoFocus);
  for (int r = 0; r < int(rows_.size()); ++r) {
    auto* name = new QTableWidgetItem(QString::fromStdString(rows_[size_t(r)].label));
    if (rows_[size_t(r)].item < 0) name->setFlags(Qt::ItemIsEnabled);
    table_->setItem(r, 0, name);
    table_->setItem(r, 1, new QTableWidgetItem);
    table_->item(r, 1)->setFlags(name->flags());
  }
  table_->resizeColumnToContents(0);
  layout->addWidget(new QLabel(trq("选择一项后按下要分配的键"), this));
  layout->addWidget(table_);
  note_ = new QLabel(this);
  layout->addWidget(note_);
  auto* buttons = okCancel(this);
  QPushButton* clear = buttons->addButton(trq("清除"), QDialogButtonBox::ResetRole);
  connect(clear, &QPushButton::clicked, this, &KeyAssignDialog::clearSelected);
  for (QAbstractButton* b : buttons->buttons()) b->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(buttons);
  setFocusPolicy(Qt::StrongFocus);
  // Room for the longest name, a key column and the scroll bar (English names run long).
  resize(std::max(360, table_->columnWidth(0) + 200), 520);
  refreshKeys();
}

void KeyAssignDialog::refreshKeys() {
  for (int r = 0; r < int(rows_.size()); ++r) {
    const KeyDialogRow& row = rows_[size_t(r)];
    if (row.item >= 0)
      table_->item(r, 1)->setText(QString::fromStdString(virtualKeyName(keys_.keyFor(row.group, row.item))));
  }
}

int KeyAssignDialog::rowOf(int group, int item) const {
  for (int r = 0; r < int(rows_.size()); ++r)
    if (rows_[size_t(r)].group == group && rows_[size_t(r)].item == item) return r;
  return -1;
}

void KeyAssignDialog::selectEntry(int group, int item) { table_->selectRow(rowOf(group, item)); }

bool KeyAssignDialog::selectedEntry(int& group, int& item) const {
  int r = table_->currentRow();
  if (r < 0 || r >= int(rows_.size()) || rows_[size_t(r)].item < 0 || !table_->item(r, 0)->isSelected())
    return false;
  group = rows_[size_t(r)].group;
  item = rows_[size_t(r)].item;
  return true;
}

void KeyAssignDialog::clearSelected() {
  int group = 0, item = 0;
  if (!selectedEntry(group, item)) return;
  assignKey(keys_, group, item, 0);
  note_->clear();
  refreshKeys();
}

void KeyAssignDialog::keyPressEvent(QKeyEvent* event) {
  int group = 0, item = 0;
  uint8_t vk = virtualKeyFor(event->key(), (event->modifiers() & Qt::KeypadModifier) != 0);
  if (!selectedEntry(group, item) || vk == 0) {
    QDialog::keyPressEvent(event);
    return;
  }
  KeyMove move = assignKey(keys_, group, item, vk);
  note_->setText(QString::fromStdString(keyMoveNote(move)));
  refreshKeys();
  event->accept();
}

namespace {

// Arrows and keys step within 1-4500; typed text may say more.
class SideSpin : public QSpinBox {
 public:
  explicit SideSpin(QWidget* parent) : QSpinBox(parent) { setRange(1, 99999); }
  void stepBy(int steps) override {
    setValue(std::clamp(value() + steps, 1, kMaxCanvasSize));
  }
};

}  // namespace

NewImageDialog::NewImageDialog(int width, int height, const std::vector<uint32_t>& recentSizes,
                               QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(trq("新建"));
  auto* form = new QFormLayout(this);
  width_ = new SideSpin(this);
  height_ = new SideSpin(this);
  width_->setValue(width);
  height_->setValue(height);
  recent_ = new QPushButton(trq("最近"), this);
  auto* menu = new QMenu(recent_);
  for (uint32_t size : recentSizes) {
    if (!size) continue;
    QAction* a = menu->addAction(QString::fromStdString(recentSizeText(size)));
    connect(a, &QAction::triggered, this, [this, size] {
      width_->setValue(int(size >> 16));
      height_->setValue(int(size & 0xFFFF));
    });
  }
  recent_->setMenu(menu);
  auto* sizes = new QHBoxLayout;
  auto* fields = new QFormLayout;
  fields->addRow(trq("宽度"), width_);
  fields->addRow(trq("高度"), height_);
  sizes->addLayout(fields);
  sizes->addWidget(recent_, 0, Qt::AlignTop);
  form->addRow(sizes);
  form->addRow(okCancel(this));
  // Typing replaces the proposed width rather than adding to it.
  QTimer::singleShot(0, width_, [w = width_] {
    w->setFocus(Qt::TabFocusReason);
    w->selectAll();
  });
}

int NewImageDialog::width() const { return width_->value(); }
int NewImageDialog::height() const { return height_->value(); }

void NewImageDialog::accept() {
  if (width() > kMaxCanvasSize || height() > kMaxCanvasSize) {
    QMessageBox::warning(this, windowTitle(), trq("图像宽度或高度过大"));
    return;
  }
  QDialog::accept();
}

PreferredSaveDialog::PreferredSaveDialog(const QString& folder, int formatIndex, const QStringList& formats,
                                         QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(trq("设置偏好路径与格式"));
  auto* form = new QFormLayout(this);
  auto* row = new QHBoxLayout;
  folder_ = new QLineEdit(folder, this);
  folder_->setMinimumWidth(260);
  auto* browse = new QPushButton(trq("浏览..."), this);
  connect(browse, &QPushButton::clicked, this, [this] {
    QString chosen = QFileDialog::getExistingDirectory(this, windowTitle(), folder_->text());
    if (!chosen.isEmpty()) folder_->setText(chosen);
  });
  row->addWidget(folder_);
  row->addWidget(browse);
  form->addRow(trq("保存路径"), row);
  format_ = new QComboBox(this);
  format_->addItems(formats);
  format_->setCurrentIndex(formatIndex);
  form->addRow(trq("保存格式"), format_);
  form->addRow(okCancel(this));
}

QString PreferredSaveDialog::folder() const { return folder_->text(); }
int PreferredSaveDialog::formatIndex() const { return format_->currentIndex(); }

}  // namespace tessel
