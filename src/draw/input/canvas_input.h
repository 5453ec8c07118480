#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "draw/brush/brush_engine.h"
#include "draw/input/canvas_input_outline.h"
#include "draw/input/canvas_input_xor.h"
#include "draw/drag/drag.h"
#include "draw/input/input_state.h"
#include "draw/brush/stroke_api.h"
#include "draw/tool/tool_settings.h"
#include "image/image32.h"
#include "view/canvas_view.h"

namespace tessel {

class Document;
class Selection;

// Turns presses, moves and releases on the canvas into tool operations on
// the document's current layer. A press chooses what the drag means and
// creates its Drag; moves, releases and keys go to that drag until it ends.
class CanvasInput {
 public:
  CanvasInput(Document& doc, CanvasView& view, Image32& screen, BrushEngine& engine,
              ToolSettings& tools, DrawSettings& draw, InputOptions& options, Selection& selection);
  ~CanvasInput();
  // The drags hold on to its context and feedback; the view calls back.
  CanvasInput(const CanvasInput&) = delete;
  CanvasInput& operator=(const CanvasInput&) = delete;

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

  // Tool changes go through here so the previous tool is remembered and a
  // floating selection is dropped.
  void selectTool(int tool);
  // Drops a floating selection into its layer (one undo step).
  void dropFloating();
  // The selection frame follows the selection after a command changed it.
  void syncOutline() { outline_.sync(); }
  const SelectionOutline& outline() const { return outline_; }
  const CanvasView& view() const { return view_; }
  // The selected rectangle's handle under the pointer while idle (0 none).
  int hoveredHandle() const { return hover_; }
  void eraserSwitch();
  void swapColours() { draw_.curColNo = draw_.curColNo == 1 ? 0 : 1; notifyColour(); }
  // A key-binding entry of the tool categories: 0 selects tool `index`, 1
  // sets the current tool's draw type, 4 runs tool action `index` (see
  // ToolKeyAction). Only while idle; false when nothing was done.
  bool boundKey(int category, int index);

  DragState state() const;
  int subMode() const { return drag_ ? drag_->subMode() : 0; }
  bool dragging() const { return drag_ || consumed_; }
  int dragButton() const { return button_; }
  int dragSource() const { return source_; }
  // The rectangle the current drag has changed (empty for none).
  Rect strokeUnion() const { return drag_ ? drag_->changed() : Rect{}; }
  const std::vector<Point>& points() const;
  const XorShape& feedback() const { return feedback_.shape(); }
  // A stored colour-mixing pick, if any.
  std::optional<Pixel> mixPick() const { return mixPick_; }

 private:
  DragPoint sampleOf(const InputState& in) const;
  // The press was handled at once: its moves and release do nothing.
  void consume();
  void begin(std::unique_ptr<Drag> drag);
  void endDrag();
  bool buttonPress(int button, const InputState& in);
  bool sideButton(int action, const InputState& in);
  void toolPress(const InputState& in);
  bool layerPixelsAtHand();
  bool paintingPress(const InputState& in);
  void fillPress(const InputState& in);
  bool freehandPress(const InputState& in);
  void selectionPress(const InputState& in);
  void hover(const DragPoint& s);

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

  Document& doc_;
  CanvasView& view_;
  BrushEngine& engine_;
  ToolSettings& tools_;
  DrawSettings& draw_;
  InputOptions& options_;
  XorFeedback feedback_;
  Selection& selection_;
  SelectionOutline outline_;
  DragContext context_;

  std::unique_ptr<Drag> drag_;
  bool consumed_ = false;
  int button_ = 0;
  int source_ = kSourceMouse;
  DragPoint cur_;            // the press point
  uint64_t penLiftMs_ = 0;
  bool penLifted_ = false;
  std::optional<Pixel> mixPick_;
  uint64_t mixPickMs_ = 0;
  int hover_ = kHandleNone;
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
