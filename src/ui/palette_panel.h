#pragma once
#include <QWidget>
#include <functional>

#include "app/models/palette_model.h"

class QTabBar;

namespace tessel {

class SwatchView;

// The palette panel: a tab bar over a grid of colour cells. A click picks
// the colour into the current drawing colour; the right button opens the
// actions (add, delete, tabs, files).
class PalettePanel : public QWidget {
  Q_OBJECT
 public:
  PalettePanel(PaletteSet& set, DrawSettings& draw, PaletteModel::TabNames* names, int cellW, int cellH,
               QWidget* parent);

  PaletteModel& model() { return model_; }
  // After the tabs or colours changed outside the panel.
  void refresh();
  // The file actions with a path chosen already; failures show the message
  // and leave the tab as it was.
  bool importFrom(const QString& path);
  bool exportTo(const QString& path);
  bool fromImage(const QString& path);
  void pickAt(QPoint p);

  // A colour was picked into the drawing colours.
  std::function<void()> colourPicked;
  // The right button's action on a cell (the settings' value): 0 opens the
  // actions, 1 picks into the drawing colour that is not current.
  int* rightButtonAction = nullptr;
  static constexpr int kRightPicksOther = 1;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void rebuildTabs();
  void renameTab(int index);
  void chooseImport();
  void chooseExport();
  void chooseImage();

  PaletteModel model_;
  QTabBar* tabs_ = nullptr;
  SwatchView* view_ = nullptr;
  int pressed_ = -1;
};

// A grid of colour cells drawn from the core's swatch renderer.
class SwatchView : public QWidget {
  Q_OBJECT
 public:
  explicit SwatchView(QWidget* parent) : QWidget(parent) {}
  void setColours(const uint32_t* colours, int count, SwatchLayout layout, int marked);
  int indexAt(QPoint p) const { return layout_.indexAt(p.x(), p.y(), count_); }
  SwatchLayout& layout() { return layout_; }
  // A grid of fixed width (0: as many columns as fit).
  int fixedColumns = 0;
  // Shown while there are no cells.
  QString emptyHint;

  std::function<void(int index, Qt::MouseButton)> clicked;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void redraw();

  const uint32_t* colours_ = nullptr;
  int count_ = 0;
  int marked_ = -1;
  SwatchLayout layout_;
  Image32 image_;
};

}  // namespace tessel
