#pragma once
#include <QColor>
#include <QWidget>
#include <cstdint>

class QCheckBox;
class QPushButton;

namespace tessel {

// "指定透明色" and its colour button, shared by the PNG and GIF options.
class TransparentColourPicker : public QWidget {
 public:
  // transparent: 0x00RRGGBB, or -1 for none.
  explicit TransparentColourPicker(int32_t transparent, QWidget* parent = nullptr);

  // 0x00RRGGBB when the box is ticked, else -1.
  int32_t transparentColour() const;
  void setColour(const QColor& colour);
  QCheckBox* box() const { return box_; }
  QPushButton* button() const { return button_; }

 private:
  void chooseColour();

  QCheckBox* box_ = nullptr;
  QPushButton* button_ = nullptr;
  QColor colour_;
};

}  // namespace tessel
