#include "ui/png_options_dialog.h"
#include "ui/ui_texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QSpinBox>

namespace tessel {

PngOptionsDialog::PngOptionsDialog(const ImageSaveOptions& options, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("PNG"));
  auto* form = new QFormLayout(this);
  opaque_ = new QRadioButton(trq("24位"), this);
  alpha_ = new QRadioButton(trq("32位(带Alpha)"), this);
  form->addRow(opaque_);
  form->addRow(alpha_);
  level_ = new QSpinBox(this);
  level_->setRange(0, 9);
  level_->setValue(options.pngLevel < 0 ? 0 : options.pngLevel > 9 ? 9 : options.pngLevel);
  form->addRow(trq("压缩率"), level_);
  picker_ = new TransparentColourPicker(options.pngTransparent, this);
  form->addRow(picker_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // A transparent colour only means something without an alpha channel.
  connect(alpha_, &QRadioButton::toggled, picker_, [this](bool on) { picker_->setEnabled(!on); });
  (options.pngAlpha ? alpha_ : opaque_)->setChecked(true);
  picker_->setEnabled(!options.pngAlpha);
}

void PngOptionsDialog::apply(ImageSaveOptions& options) const {
  options.pngAlpha = alpha_->isChecked();
  options.pngLevel = level_->value();
  options.pngTransparent = options.pngAlpha ? -1 : picker_->transparentColour();
}

}  // namespace tessel
