#pragma once
#include <QWidget>
#include <array>
#include <cstdint>

class QComboBox;
class QPushButton;
class QSlider;
class QSpinBox;

namespace tessel {

struct DrawSettings;

// The two drawing colours (the current one framed) and three sliders in the
// RGB, HSV or HLS model that edit the current colour.
class ColourPanel : public QWidget {
  Q_OBJECT
 public:
  enum Model { kRgb = 0, kHsv = 1, kHls = 2 };

  ColourPanel(DrawSettings& draw, QWidget* parent);
  void refresh();
  void setModel(int model);
  int model() const { return model_; }
  // The slider values of the current model, for tests.
  std::array<int, 3> values() const;
  void setValue(int channel, int value);

 signals:
  void changed();

 private:
  void slidersChanged();
  void pickSlot(int slot);
  void paintSlots();

  DrawSettings& draw_;
  int model_ = kRgb;
  bool filling_ = false;
  std::array<QPushButton*, 2> slots_{};
  QComboBox* modelBox_ = nullptr;
  std::array<QSlider*, 3> sliders_{};
  std::array<QSpinBox*, 3> spins_{};
};

}  // namespace tessel
