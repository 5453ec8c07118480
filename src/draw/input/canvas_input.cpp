#include "draw/input/canvas_input.h"
#include "draw/tool/tool_traits.h"

#include <algorithm>
#include <cmath>

#include "document/document.h"
#include "draw/drag/drag_bezier.h"
#include "draw/drag/drag_guide_centre.h"
#include "draw/drag/drag_layer_move.h"
#include "draw/drag/drag_pan.h"
#include "draw/drag/drag_polyline.h"
#include "draw/drag/drag_selection.h"
#include "draw/drag/drag_selection_move.h"
#include "draw/drag/drag_selection_resize.h"
#include "draw/drag/drag_size.h"
#include "draw/drag/drag_spline.h"
#include "draw/drag/drag_stroke.h"
#include "draw/drag/drag_text.h"
#include "draw/drag/drag_two_point.h"
#include "draw/fill/fill.h"
#include "draw/selection/selection.h"

namespace tessel {

namespace {

constexpr uint64_t kPenClickGuardMs = 500;

}  // namespace

CanvasInput::CanvasInput(Document& doc, CanvasView& view, Image32& screen, BrushEngine& engine,
                         ToolSettings& tools, DrawSettings& draw, InputOptions& options,
                         Selection& selection)
    : doc_(doc),
      view_(view),
      engine_(engine),
      tools_(tools),
      draw_(draw),
      options_(options),
      feedback_(screen, view),
      selection_(selection),
      outline_(screen, view, selection),
      context_{doc, view, engine, tools, draw, options, hooks, feedback_, selection, outline_} {
  view_.onRendered = [this](const Rect& r) { outline_.rendered(r); };
}

CanvasInput::~CanvasInput() { view_.onRendered = nullptr; }

DragPoint CanvasInput::sampleOf(const InputState& in) const {
  return context_.pointAt(in.clientX, in.clientY, in.pressure);
}

DragState CanvasInput::state() const {
  if (drag_) return drag_->state();
  return consumed_ ? DragState::Consumed : DragState::Idle;
}

const std::vector<Point>& CanvasInput::points() const {
  static const std::vector<Point> none;
  return drag_ ? drag_->points() : none;
}

void CanvasInput::consume() {
  drag_.reset();
  consumed_ = true;
}

// A drag that could not start leaves the press consumed.
void CanvasInput::begin(std::unique_ptr<Drag> drag) {
  if (!drag) return;
  drag_ = std::move(drag);
  consumed_ = false;
}

void CanvasInput::endDrag() {
  feedback_.hide();
  drag_.reset();
  consumed_ = false;
  view_.setDragSize(std::nullopt);
  if (hooks.capture) hooks.capture(false);
}

bool CanvasInput::press(int button, int source, const InputState& in) {
  if (dragging()) {
    // Only a polyline or a waiting text takes another left press.
    if (button != kButtonLeft || source != source_ || !drag_) return false;
    return drag_->press(sampleOf(in), source_);
  }
  if (!in.overClient || button < kButtonLeft || button > kButtonSide2) return false;
  // The system follows a tablet stroke with a click of its own.
  if (button == kButtonLeft && source == kSourceMouse && penLifted_ &&
      in.timeMs - penLiftMs_ < kPenClickGuardMs)
    return false;
  if (button >= kButtonSide1 && options_.tabSide[button - kButtonSide1] == kActionNone) return false;
  if (hooks.bringToFront) hooks.bringToFront();
  cur_ = sampleOf(in);
  if (Layer* layer = doc_.currentLayer())
    engine_.refreshContext(layer->image(), layer->maskMode, draw_, tools_, textures);
  button_ = button;
  source_ = source;
  buttonPress(button, in);
  if (dragging() && hooks.capture) hooks.capture(true);
  return dragging();
}

bool CanvasInput::buttonPress(int button, const InputState& in) {
  switch (button) {
    case kButtonLeft:
      toolPress(in);
      return true;
    case kButtonRight:
      consume();
      if (toolTraits(draw_.toolNo).kind == ToolKind::Selection) {
        if (hooks.selectMenu) hooks.selectMenu(in.clientX, in.clientY);
      } else {
        eyedropper(in);
      }
      return true;
    case kButtonMiddle:
      begin(std::make_unique<PanDrag>(context_, cur_));
      return true;
    default:
      return sideButton(options_.tabSide[button - kButtonSide1], in);
  }
}

bool CanvasInput::sideButton(int action, const InputState& in) {
  consume();
  switch (action) {
    case kActionEyedropper: eyedropper(in); break;
    case kActionPan: begin(std::make_unique<PanDrag>(context_, cur_)); break;
    case kActionEraserSwitch: eraserSwitch(); break;
    case kActionUndo:
      if (hooks.undo) hooks.undo();
      break;
    default: break;
  }
  return true;
}

void CanvasInput::toolPress(const InputState& in) {
  consume();
  const bool floating = selection_.floating();
  if (in.backspace) return colourMix(in);
  if (in.enter && !floating) return colourReplace(in);
  if (in.space) return begin(std::make_unique<PanDrag>(context_, cur_));
  const int held = in.heldKeyAction();
  const int tool = draw_.toolNo;
  if (held >= kKeyActionEyedropper && !floating) {
    if (held == kKeyActionEyedropper) return eyedropper(in);
    if (toolTraits(tool).kind != ToolKind::Selection) fillPress(in);
    return;
  }
  const ToolKind kind = toolTraits(tool).kind;
  if (kind != ToolKind::Selection && kind != ToolKind::None && !layerPixelsAtHand()) return;
  switch (kind) {
    case ToolKind::Fill: return fillPress(in);
    case ToolKind::Gradient:
      return begin(std::make_unique<TwoPointDrag>(context_, TwoPointShape::Gradient, cur_));
    case ToolKind::Text: {
      auto text = std::make_unique<TextPlaceDrag>(context_, cur_);
      if (text->begin()) begin(std::move(text));
      return;
    }
    case ToolKind::Move: {
      auto move = std::make_unique<LayerMoveDrag>(context_, cur_);
      if (move->begin()) begin(std::move(move));
      return;
    }
    case ToolKind::Selection: return selectionPress(in);
    case ToolKind::Paint: paintingPress(in); return;
    case ToolKind::None: return;
  }
}

// A parked layer is made flat for the tool; when memory for that runs out the
// press does nothing and says so, rather than nothing at all.
bool CanvasInput::layerPixelsAtHand() {
  Layer* layer = doc_.currentLayer();
  if (!layer || !layer->hasPixels() || layer->image().valid()) return true;
  if (context_.hooks.outOfMemory) context_.hooks.outOfMemory();
  return false;
}

// A handle resizes, a press inside moves (lifting the pixels first), a
// press elsewhere drops a floating image and draws out a new rectangle.
void CanvasInput::selectionPress(const InputState& in) {
  if (selection_.state() != SelectionState::None) {
    const Rect r = selection_.rect();
    const Point c = cur_.client();
    const int handle = selection_.floating() ? kHandleNone : selectionHandleAt(r, view_, c.x, c.y);
    if (handle != kHandleNone) return begin(std::make_unique<SelectionResizeDrag>(context_, cur_, handle));
    const Point at = context_.pixelOf(cur_);
    if (r.contains(at.x, at.y)) {
      auto move = std::make_unique<SelectionMoveDrag>(context_, cur_);
      if (move->begin(in.alt)) begin(std::move(move));
      return;
    }
    dropFloating();
  }
  hover_ = kHandleNone;
  begin(std::make_unique<SelectionFrameDrag>(context_, cur_));
}

void CanvasInput::dropFloating() {
  if (!selection_.floating()) return;
  const Rect shown = selection_.rect();
  if (Layer* layer = doc_.currentLayer())
    engine_.refreshContext(layer->image(), layer->maskMode, draw_, tools_, textures);
  const Rect r = selection_.commit(doc_, engine_.context(), view_.mergedPaste());
  view_.refreshRect(r.empty() ? shown.intersected(doc_.canvasRect()) : r);
  outline_.sync();
  if (!r.empty() && hooks.layerChanged) hooks.layerChanged();
}

void CanvasInput::hover(const DragPoint& s) {
  const bool selected = selection_.state() == SelectionState::Selected;
  const Point c = s.client();
  hover_ = selected && toolTraits(draw_.toolNo).kind == ToolKind::Selection
               ? selectionHandleAt(selection_.rect(), view_, c.x, c.y)
               : kHandleNone;
}

// The fill happens at once; a click outside the image does nothing.
void CanvasInput::fillPress(const InputState& in) {
  int x = 0, y = 0;
  if (imagePoint(x, y)) {
    const FillRequest req{x, y, draw_.drawingColour(), tools_.alphaOf(kToolFill), tools_.env.paint,
                          options_.optFlag, {in.ctrl, in.shift, in.alt}};
    const Rect r = fillAt(doc_, engine_.context(), engine_.random(), req);
    if (!r.empty()) {
      view_.refreshRect(r);
      if (hooks.layerChanged) hooks.layerChanged();
    }
  }
  if (hooks.fill) hooks.fill();
}

bool CanvasInput::paintingPress(const InputState& in) {
  const int tool = draw_.toolNo;
  int type = tools_.drawType[tool];
  const int held = in.heldKeyAction();
  if (held >= 0 && held <= 8 && drawTypeAllowed(tool, held + 1)) type = held + 1;
  auto twoPoint = [this](TwoPointShape shape) {
    begin(std::make_unique<TwoPointDrag>(context_, shape, cur_));
  };
  if (type < 0 || type >= kDrawTypeCount) return false;
  switch (DrawType(type)) {
    case DrawType::Freehand: return freehandPress(in);
    case DrawType::Line: twoPoint(TwoPointShape::Line); break;
    case DrawType::Rectangle: twoPoint(TwoPointShape::Rectangle); break;
    case DrawType::FilledRectangle: twoPoint(TwoPointShape::FilledRectangle); break;
    case DrawType::Ellipse: twoPoint(TwoPointShape::Ellipse); break;
    case DrawType::FilledEllipse: twoPoint(TwoPointShape::FilledEllipse); break;
    case DrawType::Polyline:
      begin(std::make_unique<PolylinePointsDrag>(context_, PolylineKind::Polyline, cur_));
      break;
    case DrawType::ConcentratedLines:
      begin(std::make_unique<PolylinePointsDrag>(context_, PolylineKind::ConcentratedLines, cur_));
      break;
    case DrawType::Bezier: begin(std::make_unique<BezierDrag>(context_, cur_)); break;
    case DrawType::Spline: begin(std::make_unique<SplineDrag>(context_, cur_)); break;
  }
  return true;
}

// Shift sizes the tool; Alt with a guide sets the guide up; else a stroke.
bool CanvasInput::freehandPress(const InputState& in) {
  if (in.shift) {
    begin(std::make_unique<ToolSizeDrag>(context_, cur_));
    return true;
  }
  if (options_.guide != GuideKind::None && in.alt) {
    switch (options_.guide) {
      case GuideKind::Parallel: case GuideKind::Grid:
        begin(std::make_unique<TwoPointDrag>(context_, TwoPointShape::GuideAngle, cur_));
        break;
      case GuideKind::Ellipse:
        begin(std::make_unique<TwoPointDrag>(context_, TwoPointShape::EllipseGuide, cur_));
        break;
      default: begin(std::make_unique<GuideCentreDrag>(context_, cur_)); break;
    }
    return true;
  }
  auto stroke = std::make_unique<StrokeDrag>(context_);
  if (!stroke->begin(cur_)) return false;
  begin(std::move(stroke));
  return true;
}

void CanvasInput::move(int source, const InputState& in) {
  DragPoint s = sampleOf(in);
  // Mirrored, the whole pixel under the cursor is width - 1 - x, not width - x.
  view_.setCursorImagePoint({s.mirrored ? s.px : int(std::floor(s.ix)), int(std::floor(s.iy))});
  if (drag_ && source == source_) drag_->move(s, in);
  if (!dragging()) hover(s);
}

void CanvasInput::release(int button, int source, const InputState& in) {
  if (button == kButtonLeft && source == kSourceTablet) {
    penLifted_ = true;
    penLiftMs_ = in.timeMs;
  }
  if (!dragging() || source != source_) return;
  if (button == kButtonRight && drag_ && drag_->finish()) return endDrag();
  if (button != button_) return;
  if (drag_ && drag_->release(button, sampleOf(in))) return;   // the drag continues
  endDrag();
}

bool CanvasInput::finishKey(bool backspace) {
  if (!drag_) return false;
  if (backspace) {
    KeyResult r = drag_->backspace();
    if (r == KeyResult::Ends) endDrag();
    return r != KeyResult::Ignored;
  }
  if (!drag_->finish()) return false;
  endDrag();
  return true;
}

void CanvasInput::cancel() {
  if (!dragging()) return;
  if (drag_) drag_->cancel();
  endDrag();
}

void CanvasInput::selectTool(int tool) {
  if (tool < 0 || tool >= kToolCount) return;
  if (drag_) return;   // only while idle or after a press handled at once
  int old = draw_.toolNo;
  // The eraser switch returns to the last painting tool that is not an eraser.
  if (old != tool && isPaintingTool(old) && !isEraserTool(old)) options_.eraseBkTool = old;
  if (old != tool) dropFloating();
  hover_ = kHandleNone;
  draw_.toolNo = tool;
  if (isPaintingTool(tool)) engine_.updateShape(tool, tools_);
  if (hooks.toolChanged) hooks.toolChanged(tool);
}

void CanvasInput::eraserSwitch() {
  if (isEraserTool(draw_.toolNo))
    selectTool(options_.eraseBkTool);
  else
    selectTool(kEraserTools[std::clamp(options_.defErase, 0, 2)]);
}

}  // namespace tessel
