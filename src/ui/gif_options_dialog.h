#pragma once
#include <QDialog>
#include <cstdint>

#include "ui/transparent_colour_picker.h"

namespace tessel {

// GIF save options: one colour of the picture may be written as transparent.
class GifOptionsDialog : public QDialog {
 public:
  // transparent: 0x00RRGGBB, or -1 for none.
  explicit GifOptionsDialog(int32_t transparent, QWidget* parent = nullptr);

  // 0x00RRGGBB when "指定透明色" is ticked, else -1.
  int32_t transparentColour() const { return picker_->transparentColour(); }
  void setColour(const QColor& colour) { picker_->setColour(colour); }
  QCheckBox* transparentBox() const { return picker_->box(); }
  QPushButton* colourButton() const { return picker_->button(); }

 private:
  TransparentColourPicker* picker_ = nullptr;
};

}  // namespace tessel
