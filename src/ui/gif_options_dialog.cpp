#include "ui/gif_options_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace tessel {

GifOptionsDialog::GifOptionsDialog(int32_t transparent, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("GIF"));
  auto* form = new QFormLayout(this);
  picker_ = new TransparentColourPicker(transparent, this);
  form->addRow(picker_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

}  // namespace tessel
