#include "ui/layer_settings_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>
#include <QSlider>
#include <QSpinBox>

#include "resources/strings.h"
#include "ui/ui_texts.h"

namespace tessel {

int layerNameBytes(const QString& name) {
  int bytes = 0;
  for (char32_t c : name.toUcs4()) bytes += c < 0x80 ? 1 : 2;   // code page 936: two bytes a character
  return bytes;
}

namespace {

// Refuses an edit that would not fit the layer's stored name.
class NameBytesValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    return layerNameBytes(input) <= kLayerNameLimit ? Acceptable : Invalid;
  }
};

}  // namespace

LayerSettingsDialog::LayerSettingsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("layerSettings"));
  setWindowTitle(trq(text::kLayerSettingsTitle));
  auto* form = new QFormLayout(this);
  name_ = new QLineEdit(this);
  name_->setValidator(new NameBytesValidator(name_));
  form->addRow(trq(text::kLayerName), name_);
  limit_ = new QLabel(this);
  limit_->setObjectName(QStringLiteral("nameLimit"));
  form->addRow(QString(), limit_);
  auto count = [this] {
    limit_->setText(trq(ui_text::kNameLimit).arg(layerNameBytes(name_->text())));
  };
  connect(name_, &QLineEdit::textChanged, this, count);
  count();
  auto* row = new QHBoxLayout;
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setRange(0, 100);
  spin_ = new QSpinBox(this);   // the number field with its spin control
  spin_->setRange(0, 100);
  spin_->setSuffix(QStringLiteral("%"));
  row->addWidget(slider_, 1);
  row->addWidget(spin_);
  form->addRow(trq(text::kLayerOpacity), row);
  connect(slider_, &QSlider::valueChanged, spin_, &QSpinBox::setValue);
  connect(spin_, &QSpinBox::valueChanged, slider_, &QSlider::setValue);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void LayerSettingsDialog::setValues(const QString& name, int percent) {
  QString fitted = name;
  while (layerNameBytes(fitted) > kLayerNameLimit) fitted.chop(1);
  name_->setText(fitted);
  spin_->setValue(percent);
}

QString LayerSettingsDialog::name() const { return name_->text(); }
int LayerSettingsDialog::percent() const { return spin_->value(); }

}  // namespace tessel
