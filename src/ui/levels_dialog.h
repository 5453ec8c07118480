#pragma once
#include <QDialog>
#include <array>
#include <cstdint>

#include "filters/filter_types.h"

class QSpinBox;

namespace tessel {

class FilterPreviewSession;

// Levels: input low, middle and high over the luma histogram of the current
// layer, output low and high.
class LevelsDialog : public QDialog {
  Q_OBJECT
 public:
  // Every change previews on the canvas through session, on its worker.
  LevelsDialog(const FilterValues& values, const std::array<uint32_t, 256>& histogram,
               FilterPreviewSession& session, QWidget* parent);
  ~LevelsDialog() override;
  void done(int result) override;
  // The five values as chosen, in values.slider[0..4].
  void apply(FilterValues& values) const;
  QSpinBox* spin(int i) const { return spins_[size_t(i)]; }

 private:
  void preview();

  FilterPreviewSession& session_;
  std::array<QSpinBox*, 5> spins_{};
};

// Replace colour: the colour that is replaced and its replacement.
class ReplaceColourDialog : public QDialog {
  Q_OBJECT
 public:
  ReplaceColourDialog(Pixel from, Pixel to, QWidget* parent);
  Pixel from() const { return colours_[0]; }
  Pixel to() const { return colours_[1]; }

 private:
  Pixel colours_[2];
};

}  // namespace tessel
