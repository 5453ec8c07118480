#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "draw/brush_engine.h"
#include "draw/input_state.h"
#include "draw/stroke_api.h"
#include "draw/tool_settings.h"
#include "image/image32.h"
#include "view/canvas_view.h"

namespace tessel {

class Document;

enum class DragState : int32_t {
  Idle = 0,
  Pan = 1,
  PixelStroke = 2,
  LineDrag = 3,         // sub-mode 0 line, 1 first Bezier segment, 2 gradient, 3 guide angle
  RectDrag = 4,         // 0 outline, 1 filled
  EllipseDrag = 5,      // 0 outline, 1 filled, 2 ellipse guide
  PolylineDrag = 6,     // 0 polyline, 1 concentrated lines
  BezierEdit = 7,
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
  std::function<void()> fill;                   // the fill tool, once it exists
};

// Feedback kept on the screen buffer: each shape is drawn
// by inverting its pixels and erased by inverting them again.
struct XorShape {
  enum class Kind { None, Line, Rect, Ellipse, Circle, Cross };
  Kind kind = Kind::None;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;   // client coordinates
  bool operator==(const XorShape&) const = default;
};

// Turns presses, moves and releases on the canvas into tool operations on
// the document's current layer.
class CanvasInput {
 public:
  CanvasInput(Document& doc, CanvasView& view, Image32& screen, BrushEngine& engine,
              ToolSettings& tools, DrawSettings& draw, InputOptions& options);

  InputHooks hooks;
  const std::vector<Texture>* textures = nullptr;

  bool press(int button, int source, const InputState& in);
  void move(int source, const InputState& in);
  void release(int button, int source, const InputState& in);
  // Keys that end a polyline, Bezier or spline drag (Esc, Enter) or drop the
  // last spline point (Backspace). True when the key was taken.
  bool finishKey(bool backspace);
  // Ends any drag at once: strokes and moves finish as at a release, the
  // rest are dropped. For the text dialog's end and a lost capture.
  void cancel();

  // Tool changes go through here so the previous tool is remembered.
  void selectTool(int tool);
  void eraserSwitch();
  void swapColours() { draw_.curColNo = draw_.curColNo == 1 ? 0 : 1; notifyColour(); }
  // A key-binding entry of the tool categories: 0 selects tool `index`, 1
  // sets the current tool's draw type, 4 runs tool action `index` (see
  // ToolKeyAction). Only while idle; false when nothing was done.
  bool boundKey(int category, int index);

  DragState state() const { return state_; }
  int subMode() const { return subMode_; }
  bool dragging() const { return state_ != DragState::Idle; }
  int dragButton() const { return button_; }
  int dragSource() const { return source_; }
  // The rectangle the current stroke has changed (empty for none).
  const Rect& strokeUnion() const { return union_; }
  const std::vector<Point>& points() const { return points_; }
  const XorShape& feedback() const { return xor_; }
  Point layerOffset() const { return moveOffset_; }
  // A stored colour-mixing pick, if any.
  std::optional<Pixel> mixPick() const { return mixPick_; }

 private:
  struct Sample {
    double cx = 0, cy = 0;   // client
    double ix = 0, iy = 0;   // image, with fractions
    float pressure = 1.0f;
  };

  Sample sampleOf(const InputState& in) const;
  void setState(DragState s, int sub = 0);
  bool pressWhileDragging(int button, int source, const InputState& in);
  bool buttonPress(int button, const InputState& in);
  bool sideButton(int action, const InputState& in);
  void toolPress(const InputState& in);
  bool paintingPress(const InputState& in);
  void startRubberBand(DragState s, int sub);
  bool startStroke(const InputState& in);
  void moveStroke();
  void endStroke();
  void movePan();
  void moveSize(const InputState& in);
  void moveLayer(const InputState& in);
  void moveRubberBand(const InputState& in);
  bool finishingStep();
  void finishRelease(int button);

  // Picks (canvas_input_picks.cpp).
  void eyedropper(const InputState& in);
  void colourMix(const InputState& in);
  void colourReplace(const InputState& in);
  bool imagePoint(int& x, int& y) const;
  void setSlot(int slot, Pixel colour);
  void addMaskColour(Pixel colour);
  void notifyColour();

  // Key bindings (canvas_input_keys.cpp).
  bool toolKeyAction(int action);

  // XOR feedback (canvas_input_xor.cpp).
  void showXor(const XorShape& shape);
  void hideXor();
  void invertShape(const XorShape& shape);
  XorShape sizeCircle(double cx, double cy) const;

  Document& doc_;
  CanvasView& view_;
  Image32& screen_;
  BrushEngine& engine_;
  ToolSettings& tools_;
  DrawSettings& draw_;
  InputOptions& options_;
  Stroke stroke_;

  DragState state_ = DragState::Idle;
  int subMode_ = 0;
  int button_ = 0;
  int source_ = kSourceMouse;
  Sample cur_, prev_, start_;
  Rect union_;
  std::vector<Point> points_;
  XorShape xor_;
  Image32 work_;             // the layer before a move
  double moveClientX_ = 0, moveClientY_ = 0;
  Point moveOffset_;
  uint64_t penLiftMs_ = 0;
  bool penLifted_ = false;
  std::optional<Pixel> mixPick_;
  uint64_t mixPickMs_ = 0;
};

// Categories of the key-binding table that act on the tools.
constexpr int kBindTool = 0;
constexpr int kBindDrawType = 1;
constexpr int kBindToolAction = 4;

// Tool actions of the key-binding table, in table order.
enum ToolKeyAction : int {
  kKeyEraserSwitch = 0,
  kKeySwapColours = 1,
  kKeySizeUp = 2,
  kKeySizeDown = 3,
  kKeySizeOne = 4,
  kKeyTexture = 5,
  kKeyWaterA = 6,   // to kKeyWaterA + 3: watercolour amount A-D
};

// Any painting tool takes every draw type; the others have none.
inline bool drawTypeAllowed(int tool, int type) {
  return toolTraits(tool).takesDrawType(type);
}
inline bool isEraserTool(int tool) { return toolTraits(tool).eraser; }

}  // namespace tessel
