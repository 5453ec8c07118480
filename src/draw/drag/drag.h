#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "draw/brush/brush_engine.h"
#include "draw/input/canvas_input_xor.h"
#include "draw/input/input_state.h"
#include "draw/tool/tool_settings.h"
#include "image/geometry.h"
#include "view/canvas_view.h"

namespace tessel {

class Document;
class Selection;
class SelectionOutline;

// What a drag means, as the window and the feedback see it.
enum class DragState : int32_t {
  Idle = 0,
  Pan = 1,
  PixelStroke = 2,
  LineDrag = 3,         // sub-mode 0 line, 1 first Bezier segment, 2 gradient, 3 guide angle
  RectDrag = 4,         // 0 outline, 1 filled
  EllipseDrag = 5,      // 0 outline, 1 filled, 2 ellipse guide
  PolylineDrag = 6,     // 0 polyline, 1 concentrated lines
  BezierEdit = 7,       // which control point follows the pointer
  SplineCollect = 8,
  SizeDrag = 9,
  OnePixelStroke = 10,
  BufferedStroke = 11,
  DirectStroke = 12,
  FingerStroke = 13,
  LayerMove = 14,
  TextPlace = 15,
  SelectionDrag = 16,
  SelectionMove = 17,
  SelectionResize = 18,
  GuideCentre = 19,
  Consumed = 100,
};

// What the canvas input asks of the window around it. Every hook may be left
// empty.
struct InputHooks {
  std::function<void()> bringToFront;
  std::function<void(bool)> capture;            // take (true) or release the mouse
  std::function<void()> undo;                   // a button bound to undo
  std::function<void(double, double)> selectMenu;  // the selection tool's right click
  std::function<void(int)> toolChanged;
  std::function<void()> colourChanged;
  std::function<void()> layerChanged;           // thumbnails, navigator, title
  std::function<void()> fill;                   // after a fill press
  std::function<bool(Point)> placeText;         // the text tool's press: begin or move the anchor
  std::function<void()> outOfMemory;           // a tool could not have the layer's pixels
};

// One pointer sample of a drag.
struct DragPoint {
  double cx = 0, cy = 0;   // client
  double ix = 0, iy = 0;   // image, with fractions (mirrored as width - x)
  int px = 0, py = 0;       // the pixel under it (mirrored as width - 1 - x)
  bool mirrored = false;
  float pressure = 1.0f;

  Point client() const { return {int(cx), int(cy)}; }
  Point image() const { return {px, py}; }
};

// The distance a moving drag has gone: client steps summed (Ctrl drops the
// horizontal, Shift the vertical part) and converted to image units at once,
// so slow moves at high zoom add up.
class MoveDistance {
 public:
  explicit MoveDistance(const DragPoint& start) : prev_(start) {}
  // True when the image offset changed.
  bool advance(const DragPoint& p, const InputState& in, const CanvasView& view) {
    if (!in.ctrl) clientX_ += p.cx - prev_.cx;
    if (!in.shift) clientY_ += p.cy - prev_.cy;
    prev_ = p;
    Point offset{int(clientX_ * 100.0 / view.zoom()), int(clientY_ * 100.0 / view.zoom())};
    if (view.mirrored()) offset.x = -offset.x;
    if (offset == offset_) return false;
    offset_ = offset;
    return true;
  }
  Point offset() const { return offset_; }

 private:
  DragPoint prev_;
  double clientX_ = 0, clientY_ = 0;
  Point offset_;
};

// Everything a drag works on, owned by the canvas input.
struct DragContext {
  Document& doc;
  CanvasView& view;
  BrushEngine& engine;
  ToolSettings& tools;
  DrawSettings& draw;
  InputOptions& options;   // the guides are set up through drags
  const InputHooks& hooks;
  XorFeedback& feedback;
  Selection& selection;
  SelectionOutline& outline;   // the selection frame kept on screen

  // A client point in image coordinates through the view's scroll, zoom and mirror.
  DragPoint pointAt(double cx, double cy, float pressure = 1.0f) const;
  void layerChanged() const {
    if (hooks.layerChanged) hooks.layerChanged();
  }
  // The whole pixel under a sample, also left of or above the image.
  Point pixelOf(const DragPoint& p) const;
  // The status bar's size of a drag spanning (dx, dy) client pixels.
  void showSize(double dx, double dy) const;
};

// How a Backspace during a drag was taken.
enum class KeyResult { Ignored, Continues, Ends };

// One gesture on the canvas, from the press that began it (the canvas input
// routes presses and creates the drag) to the release or finishing step that
// ends it. The canvas input erases any feedback left when a drag ends.
class Drag {
 public:
  virtual ~Drag() = default;

  virtual DragState state() const = 0;
  // The state's sub-mode, where it has one.
  virtual int subMode() const { return 0; }

  // A further left press from the drag's source while it lasts; it may
  // change the source the drag listens to. True when taken.
  virtual bool press(const DragPoint&, int&) { return false; }
  virtual void move(const DragPoint&, const InputState&) {}
  // The release of the button that began the drag. True when the drag
  // continues; most drags end here.
  virtual bool release(int, const DragPoint&) { return false; }
  // The right button's (and Esc's, Enter's) finishing step. True when the
  // drag has one; the drag is then over.
  virtual bool finish() { return false; }
  virtual KeyResult backspace() { return KeyResult::Ignored; }
  // Ends the drag at once (a lost capture, the text dialog's end). By
  // default nothing is kept.
  virtual void cancel() {}

  // The points a polyline, Bezier or spline has collected.
  virtual const std::vector<Point>& points() const;
  // The rectangle of the layer the drag has changed so far.
  virtual Rect changed() const { return {}; }
};

}  // namespace tessel
