#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;

namespace tessel {

// A layer name is stored as at most 31 bytes of code page 936 text.
inline constexpr int kLayerNameLimit = 31;
int layerNameBytes(const QString& name);

// "设置": the layer's name (limited to what it stores, the limit shown
// under it) and its opacity in percent, with a slider and a number field
// that follow each other.
class LayerSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit LayerSettingsDialog(QWidget* parent);
  void setValues(const QString& name, int percent);
  QString name() const;
  int percent() const;

  QLineEdit* nameField() const { return name_; }
  QSlider* slider() const { return slider_; }
  QSpinBox* spin() const { return spin_; }
  QLabel* limitLabel() const { return limit_; }

 private:
  QLineEdit* name_;
  QSlider* slider_;
  QSpinBox* spin_;
  QLabel* limit_;
};

}  // namespace tessel
