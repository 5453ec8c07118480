#pragma once
#include <algorithm>
#include <memory>
#include <cstdint>

#include "app/models/layer_rows.h"
#include "image/image24.h"

namespace tessel {

class Document;

// The layer list without a window: the back buffer of rows, the scroll
// position and the mouse (box toggles, selection, dragging a row to a new
// place). The window copies `buffer` and forwards the mouse.
class LayerPanelModel {
 public:
  enum class Press { None, ToggledVisible, ToggledFill, Selected, Refused };
  enum class Drag { Idle = 0, Down = 1, Moving = 2 };

  explicit LayerPanelModel(Document& doc) : doc_(doc) {}

  RowTextPainter* text = nullptr;
  Image24 buffer;   // as wide as the list, as high as the visible rows; never shrinks

  // The list's client size; the buffer grows to it and every row is redrawn.
  void setSize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  // Rows that fit into the window, a partly shown last one included.
  int visibleRows() const { return (height_ + layer_row::kHeight - 1) / layer_row::kHeight; }
  // Whole rows, the scroll bar's page.
  int pageRows() const { return std::max(1, height_ / layer_row::kHeight); }
  int first() const { return first_; }
  int maxFirst() const;
  // Clamps to 0..maxFirst() and redraws when it changed.
  void setFirst(int first);
  // Rows of the list after the stack changed: clamps the scroll position and
  // redraws everything.
  void rebuild();
  // Redraws the row of one layer when it is shown; -1 redraws all.
  void redrawLayer(int index);

  // The layer under a list point, -1 below the last row.
  int layerAt(int y) const;
  // The point lies inside the visibility or fill-reference box of its row.
  static bool onVisibleBox(int x, int y);
  static bool onFillBox(int x, int y);

  // floating: a floating selection keeps the current layer.
  Press press(int x, int y, bool ctrl, bool floating = false);
  // True when the marker moved (the window repaints).
  bool move(int x, int y);
  // True when the layer was moved (the canvas is refreshed).
  bool release();
  // Ends a drag without moving (lost capture).
  void cancelDrag();

  Drag drag() const { return drag_; }
  int target() const { return target_; }
  int markerY() const { return markerY_; }   // -1 when no marker is drawn

 private:
  void drawAllRows();
  void showMarker(int y);
  void hideMarker();

  Document& doc_;
  int width_ = 0, height_ = 0;
  int first_ = 0;
  Drag drag_ = Drag::Idle;
  int target_ = 0;
  int markerY_ = -1;
  std::unique_ptr<uint8_t[]> saved_;   // two rows of buffer under the marker
};

}  // namespace tessel
