#include "ui/transparent_colour_picker.h"
#include "ui/ui_texts.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace tessel {

namespace {

// White unless told otherwise: pictures are flattened onto white before saving.
constexpr QRgb kDefaultTransparent = 0xFFFFFF;

}  // namespace

TransparentColourPicker::TransparentColourPicker(int32_t transparent, QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  box_ = new QCheckBox(trq("指定透明色"), this);
  button_ = new QPushButton(this);
  row->addWidget(box_);
  row->addWidget(button_);
  connect(box_, &QCheckBox::toggled, button_, &QWidget::setEnabled);
  connect(button_, &QPushButton::clicked, this, [this] { chooseColour(); });
  box_->setChecked(transparent >= 0);
  button_->setEnabled(transparent >= 0);
  setColour(QColor::fromRgb(transparent >= 0 ? QRgb(transparent) : kDefaultTransparent));
}

int32_t TransparentColourPicker::transparentColour() const {
  return box_->isChecked() ? int32_t(colour_.rgb() & 0xFFFFFF) : -1;
}

void TransparentColourPicker::setColour(const QColor& colour) {
  if (!colour.isValid()) return;
  colour_ = colour;
  const QString name = colour.name(QColor::HexRgb).toUpper();
  button_->setText(name);
  button_->setStyleSheet(QStringLiteral("background-color: %1; color: %2")
                             .arg(name, colour.lightness() < 128 ? QStringLiteral("white") : QStringLiteral("black")));
}

void TransparentColourPicker::chooseColour() {
  setColour(QColorDialog::getColor(colour_, this, trq("透明色")));
}

}  // namespace tessel
