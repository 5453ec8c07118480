#pragma once
#include <QDialog>

class QButtonGroup;
class QSpinBox;

namespace tessel {

// "画布大小": the new size, the anchor of the old picture (nine buttons under
// "位置") and the colour of the added canvas (under "扩展画布颜色").
class CanvasSizeDialog : public QDialog {
 public:
  CanvasSizeDialog(int width, int height, int anchor, int fill, QWidget* parent = nullptr);
  int newWidth() const;
  int newHeight() const;
  int anchor() const;   // 0-8
  int fill() const;     // 0 transparent, 1 white, 2 foreground

 private:
  QSpinBox* width_ = nullptr;
  QSpinBox* height_ = nullptr;
  QButtonGroup* anchors_ = nullptr;
  QButtonGroup* fills_ = nullptr;
};

}  // namespace tessel
