#include "ui/scale_dialog.h"
#include "ui/ui_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "document/document.h"

namespace tessel {

namespace {

QSpinBox* spinBox(QWidget* parent, int high) {
  auto* box = new QSpinBox(parent);
  box->setRange(1, high);
  return box;
}

}  // namespace

ScaleDialog::ScaleDialog(const ScaleModel& model, QWidget* parent) : QDialog(parent), model_(model) {
  setWindowTitle(trq("缩放"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(trq("当前大小  ") +
                               QString::asprintf("%d x %d", model.oldWidth, model.oldHeight)));
  auto* pixels = new QGroupBox(trq("重设大小"), this);
  auto* pixelForm = new QFormLayout(pixels);
  width_ = spinBox(pixels, kMaxCanvasSize);
  height_ = spinBox(pixels, kMaxCanvasSize);
  pixelForm->addRow(trq("宽"), width_);
  pixelForm->addRow(trq("高"), height_);
  layout->addWidget(pixels);
  auto* percent = new QGroupBox(trq("指定％"), this);
  auto* percentForm = new QFormLayout(percent);
  widthPercent_ = spinBox(percent, 5000);
  heightPercent_ = spinBox(percent, 5000);
  percentForm->addRow(trq("宽"), widthPercent_);
  percentForm->addRow(trq("高"), heightPercent_);
  layout->addWidget(percent);
  keep_ = new QCheckBox(trq("保持比例"), this);
  layout->addWidget(keep_);
  auto* methodForm = new QFormLayout;
  method_ = new QComboBox(this);
  method_->addItems({trq("邻近像素  "), trq("双线性"), QStringLiteral("Lanczos3")});
  methodForm->addRow(trq("重采样算法"), method_);
  layout->addLayout(methodForm);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  display();
  connect(width_, &QSpinBox::valueChanged, this, [this](int v) { edited(&ScaleModel::editWidth, v); });
  connect(height_, &QSpinBox::valueChanged, this, [this](int v) { edited(&ScaleModel::editHeight, v); });
  connect(widthPercent_, &QSpinBox::valueChanged, this,
          [this](int v) { edited(&ScaleModel::editWidthPercent, v); });
  connect(heightPercent_, &QSpinBox::valueChanged, this,
          [this](int v) { edited(&ScaleModel::editHeightPercent, v); });
  connect(keep_, &QCheckBox::toggled, this, [this](bool on) { model_.keepProportions = on; });
  connect(method_, &QComboBox::currentIndexChanged, this, [this](int i) { model_.method = i; });
}

void ScaleDialog::edited(void (ScaleModel::*edit)(int), int value) {
  (model_.*edit)(value);
  display();
}

// The model's values into the fields without feeding the edits back.
void ScaleDialog::display() {
  const QSignalBlocker b1(width_), b2(height_), b3(widthPercent_), b4(heightPercent_), b5(keep_), b6(method_);
  width_->setValue(model_.width);
  height_->setValue(model_.height);
  widthPercent_->setValue(model_.widthPercent);
  heightPercent_->setValue(model_.heightPercent);
  keep_->setChecked(model_.keepProportions);
  method_->setCurrentIndex(model_.method >= 0 && model_.method <= 2 ? model_.method : 2);
}

}  // namespace tessel
