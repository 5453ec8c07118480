#include "ui/canvas_size_dialog.h"
#include "ui/ui_texts.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "document/document.h"

namespace tessel {

CanvasSizeDialog::CanvasSizeDialog(int width, int height, int anchor, int fill, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(trq("画布大小"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  width_ = new QSpinBox(this);
  height_ = new QSpinBox(this);
  width_->setRange(1, kMaxCanvasSize);
  height_->setRange(1, kMaxCanvasSize);
  width_->setValue(width);
  height_->setValue(height);
  form->addRow(trq("宽"), width_);
  form->addRow(trq("高"), height_);
  layout->addLayout(form);

  auto* place = new QGroupBox(trq("位置"), this);
  auto* grid = new QGridLayout(place);
  anchors_ = new QButtonGroup(this);
  for (int k = 0; k < 9; ++k) {
    auto* button = new QToolButton(place);
    button->setCheckable(true);
    button->setFixedSize(28, 28);
    button->setObjectName(QStringLiteral("anchor%1").arg(k));
    anchors_->addButton(button, k);
    grid->addWidget(button, k / 3, k % 3);
  }
  if (QAbstractButton* b = anchors_->button(anchor >= 0 && anchor < 9 ? anchor : 4)) b->setChecked(true);
  layout->addWidget(place);

  auto* colour = new QGroupBox(trq("扩展画布颜色"), this);
  auto* colours = new QVBoxLayout(colour);
  fills_ = new QButtonGroup(this);
  const QString names[3] = {trq("透明"), trq("白色"), trq("前景色")};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(names[i], colour);
    fills_->addButton(radio, i);
    colours->addWidget(radio);
  }
  if (QAbstractButton* b = fills_->button(fill >= 0 && fill < 3 ? fill : 0)) b->setChecked(true);
  layout->addWidget(colour);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int CanvasSizeDialog::newWidth() const { return width_->value(); }
int CanvasSizeDialog::newHeight() const { return height_->value(); }
int CanvasSizeDialog::anchor() const { return anchors_->checkedId() < 0 ? 4 : anchors_->checkedId(); }
int CanvasSizeDialog::fill() const { return fills_->checkedId() < 0 ? 0 : fills_->checkedId(); }

}  // namespace tessel
