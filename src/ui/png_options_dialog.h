#pragma once
#include <QDialog>

#include "app/shell.h"
#include "ui/transparent_colour_picker.h"

class QRadioButton;
class QSpinBox;

namespace tessel {

// PNG save options: 24-bit or 32-bit with alpha, the compression level, and
// for 24-bit files a colour written as transparent.
class PngOptionsDialog : public QDialog {
 public:
  explicit PngOptionsDialog(const ImageSaveOptions& options, QWidget* parent = nullptr);

  // The options as chosen; a 32-bit file never names a transparent colour.
  void apply(ImageSaveOptions& options) const;

  QRadioButton* alphaButton() const { return alpha_; }
  QRadioButton* opaqueButton() const { return opaque_; }
  QSpinBox* levelBox() const { return level_; }
  TransparentColourPicker* picker() const { return picker_; }

 private:
  QRadioButton* opaque_ = nullptr;
  QRadioButton* alpha_ = nullptr;
  QSpinBox* level_ = nullptr;
  TransparentColourPicker* picker_ = nullptr;
};

}  // namespace tessel
