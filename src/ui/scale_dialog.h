#pragma once
#include <QDialog>

#include "app/models/scale_model.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace tessel {

// "缩放": the new size in pixels or percent, keep proportions, the method.
// Every edit goes through the core's ScaleModel, which recomputes the rest.
class ScaleDialog : public QDialog {
 public:
  ScaleDialog(const ScaleModel& model, QWidget* parent = nullptr);
  const ScaleModel& model() const { return model_; }

  QSpinBox* widthBox() const { return width_; }
  QSpinBox* heightBox() const { return height_; }
  QSpinBox* widthPercentBox() const { return widthPercent_; }

 private:
  void edited(void (ScaleModel::*edit)(int), int value);
  void display();

  ScaleModel model_;
  QSpinBox* width_ = nullptr;
  QSpinBox* height_ = nullptr;
  QSpinBox* widthPercent_ = nullptr;
  QSpinBox* heightPercent_ = nullptr;
  QCheckBox* keep_ = nullptr;
  QComboBox* method_ = nullptr;
};

}  // namespace tessel
