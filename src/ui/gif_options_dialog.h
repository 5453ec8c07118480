#pragma once
#include <QColor>
#include <QDialog>
#include <cstdint>

class QCheckBox;
class QPushButton;

namespace tessel {

// GIF save options: one colour of the picture may be written as transparent.
class GifOptionsDialog : public QDialog {
 public:
  // transparent: 0x00RRGGBB, or -1 for none.
  explicit GifOptionsDialog(int32_t transparent, QWidget* parent = nullptr);

  // 0x00RRGGBB when "指定透明色" is ticked, else -1.
  int32_t transparentColour() const;
  void setColour(const QColor& colour);
  QCheckBox* transparentBox() const { return box_; }
  QPushButton* colourButton() const { return button_; }

 private:
  void chooseColour();

  QCheckBox* box_ = nullptr;
  QPushButton* button_ = nullptr;
  QColor colour_;
};

}  // namespace tessel
