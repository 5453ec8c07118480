#pragma once
#include <QDialog>

class QLineEdit;
class QSlider;
class QSpinBox;

namespace tessel {

// "设置": the layer's name (31 characters at most) and its opacity in
// percent, with a slider and a number field that follow each other.
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

 private:
  QLineEdit* name_;
  QSlider* slider_;
  QSpinBox* spin_;
};

}  // namespace tessel
