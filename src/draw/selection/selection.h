#pragma once
#include <cstdint>

#include "document/document.h"
#include "draw/brush/brush_context.h"
#include "image/image32.h"
#include "view/canvas_view.h"

namespace tessel {

enum class SelectionState : int { None = 0, Selected = 1, Floating = 2 };

// Source over for one pixel: a source alpha of 0 leaves the destination as it
// is; a result alpha of 0 is written as transparent white. Single precision,
// rounding by adding 0.5 and truncating.
Pixel sourceOver(Pixel dst, Pixel src);
// Every pixel of src over dst with src's top-left corner at (x, y), clipped.
void compositeOver(Image32& dst, const Image32& src, int x, int y);

// The document's one rectangular selection, its paste buffer and the floating
// image. All rectangles are in canvas pixels as position and size.
//
// The canvas drags use it like this:
//   - dragging out a rectangle: set(left, top, right, bottom) at the release
//     (a one-pixel or degenerate rectangle leaves no selection);
//   - resizing: set() with the moved corners; it clips to the canvas;
//   - pressing inside a selected rectangle: lift(doc, cutHole, merged), then
//     moveFloatingTo(doc, x, y, merged) for every move (x, y is the floating
//     image's top-left corner), and commit(doc, gate, merged) to drop it;
//   - pressing outside a floating image: commit() first.
// Every call that changes layer pixels returns the canvas area to redraw.
class Selection {
 public:
  SelectionState state() const { return state_; }
  bool floating() const { return state_ == SelectionState::Floating; }
  // The selected (or floating) rectangle; empty in state None.
  const Rect& rect() const { return rect_; }

  // Inclusive corners in any order. Ignored while floating; corners that
  // coincide leave no selection; otherwise clipped to the canvas (state 1).
  // False when no selection results.
  bool set(const Document& doc, int left, int top, int right, int bottom);
  bool setRect(const Document& doc, const Rect& r) {
    return set(doc, r.x, r.y, r.x + r.w - 1, r.y + r.h - 1);
  }
  // Selects r clipped to the canvas as it stands, a single pixel included
  // (for scripted commands, which name their rectangle exactly).
  bool setExact(const Document& doc, const Rect& r);
  // The selected rectangle in state 1, otherwise the whole canvas.
  Rect get(const Document& doc) const;
  // No selection covers the whole canvas as far as tiling and cropping go.
  bool wholeCanvas(const Document& doc) const { return get(doc) == doc.canvasRect(); }
  // State 0 without touching pixels: a new or opened document, a crop or a
  // canvas change (the floating image and backup are dropped).
  void reset();

  // The paste buffer: what was last copied, cut or imported.
  bool hasBuffer() const { return buffer_.valid(); }
  const Image32& buffer() const { return buffer_; }
  // Copies rect of src into the buffer; false (buffer unchanged) on failure.
  bool copyToBuffer(const Image32& src, const Rect& rect);
  // Takes image as the new buffer.
  void takeBuffer(Image32&& image) { buffer_ = std::move(image); }

  // Begins a floating paste of the buffer centred on (cx, cy), clamped to
  // the canvas, over the current layer. False when the buffer is empty, the
  // state is already floating or the backup cannot be made.
  bool beginFloatingPaste(Document& doc, int cx, int cy, bool merged, Rect& changed);
  // Lifts the selected pixels into the floating image; with cutHole the area
  // is cleared in the backup (the cut flag). False unless state 1.
  bool lift(Document& doc, bool cutHole);
  // Moves the floating image's top-left corner to (x, y): the old area is
  // restored from the backup and the image drawn at the new place.
  Rect moveFloatingTo(Document& doc, int x, int y, bool merged);
  // Ends state 1 or 2. Floating: drops the image into the layer through the
  // masked paste (gate: the layer's mask mode and colour mask; its reference
  // is ignored, the backup is used) and makes one undo record. Returns the
  // area that changed (empty when none).
  Rect commit(Document& doc, const BrushContext& gate, bool merged);

  Point floatingStart() const { return start_; }
  bool cutFlag() const { return cut_; }

 private:
  // The layer the floating image was lifted from or pasted over, while it
  // is still in the document (the current layer may have changed since).
  Layer* floatingLayer(Document& doc) const;
  Rect commitInto(Document& doc, Layer& layer, const BrushContext& gate, bool merged);
  void drawPreview(Image32& layer, bool merged) const;
  void maskedPaste(Image32& layer, const BrushContext& gate, bool merged) const;

  SelectionState state_ = SelectionState::None;
  Rect rect_;
  Image32 buffer_;     // pasted or lifted pixels, exactly its own size
  Image32 backup_;     // the current layer when floating began
  Point start_;
  bool cut_ = false;
  Layer* owner_ = nullptr;   // compared, never followed, until found in the document
};

// True when the drawing conditions let a paste write over a pixel whose
// value before the paste was ref: the mask mode and the colour mask.
bool pasteAllowed(const BrushContext& gate, Pixel ref);

}  // namespace tessel
