#pragma once
#include <QWidget>
#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QSpinBox;
class QPushButton;

namespace tessel {

struct PaintingTools;

// The current tool's size, opacity and draw type and the switches of its
// option word, then texture and colour-mask settings. Edits go straight into
// the painting tools; refresh() shows the current tool again.
class ToolOptionsPanel : public QWidget {
  Q_OBJECT
 public:
  ToolOptionsPanel(PaintingTools& painting, QWidget* parent);
  void refresh();

 signals:
  void changed();
  // The rows shown for the current tool changed.
  void rowsChanged();

 private:
  QSpinBox* spin(const QString& name, int low, int high);
  QCheckBox* check(const QString& label);
  QComboBox* combo(const QString& name, const char* items);
  void storeWord(int tool);
  void edited();
  void showRows(int tool);
  void showWord(int tool);

  PaintingTools& p_;
  QFormLayout* form_ = nullptr;
  bool filling_ = false;
  int rowsTool_ = -1;   // the tool whose rows are shown
  QSpinBox* size_ = nullptr;
  QSpinBox* alpha_ = nullptr;
  QComboBox* drawType_ = nullptr;
  QComboBox* geometry_ = nullptr;   // the gradient's geometry, kept in its draw type
  QComboBox* guide_ = nullptr;      // the active guide of freehand strokes
  QSpinBox* smoothing_ = nullptr;
  std::array<QCheckBox*, 5> penBits_{};
  QSpinBox* tipShape_ = nullptr;
  QCheckBox* accumulate_ = nullptr;
  QSpinBox* minSize_ = nullptr;
  QSpinBox* minAlpha_ = nullptr;
  QComboBox* water_ = nullptr;
  QCheckBox* texture_ = nullptr;
  QSpinBox* textureSel_ = nullptr;
  QComboBox* maskMode_ = nullptr;
  QSpinBox* maskCount_ = nullptr;
  std::array<QPushButton*, 5> maskColours_{};
  QHBoxLayout* maskColourRow_ = nullptr;
  QLabel* none_ = nullptr;   // shown when the tool has no options
};

}  // namespace tessel
