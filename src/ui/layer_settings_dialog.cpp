#include "ui/layer_settings_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>

#include "resources/strings.h"

namespace tessel {

LayerSettingsDialog::LayerSettingsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("layerSettings"));
  setWindowTitle(QString::fromUtf8(text::kLayerSettingsTitle));
  auto* form = new QFormLayout(this);
  name_ = new QLineEdit(this);
  name_->setMaxLength(31);
  form->addRow(QString::fromUtf8(text::kLayerName), name_);
  auto* row = new QHBoxLayout;
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setRange(0, 100);
  spin_ = new QSpinBox(this);   // the number field with its spin control
  spin_->setRange(0, 100);
  spin_->setSuffix(QStringLiteral("%"));
  row->addWidget(slider_, 1);
  row->addWidget(spin_);
  form->addRow(QString::fromUtf8(text::kLayerOpacity), row);
  connect(slider_, &QSlider::valueChanged, spin_, &QSpinBox::setValue);
  connect(spin_, &QSpinBox::valueChanged, slider_, &QSlider::setValue);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void LayerSettingsDialog::setValues(const QString& name, int percent) {
  name_->setText(name.left(31));
  spin_->setValue(percent);
}

QString LayerSettingsDialog::name() const { return name_->text(); }
int LayerSettingsDialog::percent() const { return spin_->value(); }

}  // namespace tessel
