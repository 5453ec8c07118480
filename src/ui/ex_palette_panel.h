#pragma once
#include <QWidget>
#include <functional>
#include <vector>

class QComboBox;

namespace tessel {

struct DrawSettings;
class SwatchView;

// The extended palette: the colour-model swatch grids; a click picks the
// colour into the current drawing colour.
class ExPalettePanel : public QWidget {
  Q_OBJECT
 public:
  ExPalettePanel(DrawSettings& draw, int type, QWidget* parent);
  int type() const { return type_; }
  void setType(int type);
  // The cell's colour into the drawing colour; false outside the cells.
  bool pick(int index);
  SwatchView* swatches() const { return view_; }

  std::function<void()> colourPicked;

 private:
  DrawSettings& draw_;
  QComboBox* types_ = nullptr;
  SwatchView* view_ = nullptr;
  std::vector<uint32_t> colours_;
  int type_ = 0;
};

}  // namespace tessel
