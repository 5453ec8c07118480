#include "ui/gif_options_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

namespace tessel {

namespace {

// White unless told otherwise: pictures are flattened onto white before GIF.
constexpr QRgb kDefaultTransparent = 0xFFFFFF;

}  // namespace

GifOptionsDialog::GifOptionsDialog(int32_t transparent, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("GIF"));
  auto* form = new QFormLayout(this);
  box_ = new QCheckBox(QStringLiteral("指定透明色"), this);
  button_ = new QPushButton(this);
  form->addRow(box_, button_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(box_, &QCheckBox::toggled, button_, &QWidget::setEnabled);
  connect(button_, &QPushButton::clicked, this, [this] { chooseColour(); });
  box_->setChecked(transparent >= 0);
  button_->setEnabled(transparent >= 0);
  setColour(QColor::fromRgb(transparent >= 0 ? QRgb(transparent) : kDefaultTransparent));
}

int32_t GifOptionsDialog::transparentColour() const {
  return box_->isChecked() ? int32_t(colour_.rgb() & 0xFFFFFF) : -1;
}

void GifOptionsDialog::setColour(const QColor& colour) {
  if (!colour.isValid()) return;
  colour_ = colour;
  const QString name = colour.name(QColor::HexRgb).toUpper();
  button_->setText(name);
  button_->setStyleSheet(QStringLiteral("background-color: %1; color: %2")
                             .arg(name, colour.lightness() < 128 ? QStringLiteral("white") : QStringLiteral("black")));
}

void GifOptionsDialog::chooseColour() {
  setColour(QColorDialog::getColor(colour_, this, QStringLiteral("透明色")));
}

}  // namespace tessel
