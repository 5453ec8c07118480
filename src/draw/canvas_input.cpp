#include "draw/canvas_input.h"

#include <algorithm>
#include <cmath>

#include "document/document.h"

namespace tessel {

namespace {

constexpr uint64_t kPenClickGuardMs = 500;

DragState strokeStateFor(StrokeRoute route) {
  switch (route) {
    case StrokeRoute::PixelFreehand: return DragState::PixelStroke;
    case StrokeRoute::OnePixelLine: return DragState::OnePixelStroke;
    case StrokeRoute::Direct: return DragState::DirectStroke;
    case StrokeRoute::Finger: return DragState::FingerStroke;
    case StrokeRoute::Buffered: break;
  }
  return DragState::BufferedStroke;
}

bool isStrokeState(DragState s) {
  return s == DragState::PixelStroke || s == DragState::OnePixelStroke ||
         s == DragState::BufferedStroke || s == DragState::DirectStroke ||
         s == DragState::FingerStroke;
}

}  // namespace

CanvasInput::CanvasInput(Document& doc, CanvasView& view, Image32& screen, BrushEngine& engine,
                         ToolSettings& tools, DrawSettings& draw, InputOptions& options)
    : doc_(doc),
      view_(view),
      screen_(screen),
      engine_(engine),
      tools_(tools),
      draw_(draw),
      options_(options),
      stroke_(engine) {}

CanvasInput::Sample CanvasInput::sampleOf(const InputState& in) const {
  Sample s;
  s.cx = in.clientX;
  s.cy = in.clientY;
  double f = 100.0 / view_.zoom();
  s.ix = f * (view_.scrollX() - view_.centreX() + in.clientX);
  s.iy = f * (view_.scrollY() - view_.centreY() + in.clientY);
  if (view_.mirrored()) s.ix = doc_.width() - s.ix;
  s.pressure = in.pressure;
  return s;
}

void CanvasInput::setState(DragState s, int sub) {
  state_ = s;
  subMode_ = sub;
}

bool CanvasInput::press(int button, int source, const InputState& in) {
  if (state_ != DragState::Idle) return pressWhileDragging(button, source, in);
  if (!in.overClient || button < kButtonLeft || button > kButtonSide2) return false;
  // The system follows a tablet stroke with a click of its own.
  if (button == kButtonLeft && source == kSourceMouse && penLifted_ &&
      in.timeMs - penLiftMs_ < kPenClickGuardMs)
    return false;
  if (button >= kButtonSide1 && options_.tabSide[button - kButtonSide1] == kActionNone) return false;
  if (hooks.bringToFront) hooks.bringToFront();
  cur_ = prev_ = start_ = sampleOf(in);
  if (Layer* layer = doc_.currentLayer())
    engine_.refreshContext(layer->image, layer->maskMode, draw_, tools_, textures);
  button_ = button;
  source_ = source;
  union_ = {};
  buttonPress(button, in);
  if (state_ != DragState::Idle && hooks.capture) hooks.capture(true);
  return state_ != DragState::Idle;
}

bool CanvasInput::pressWhileDragging(int button, int source, const InputState& in) {
  if (button != kButtonLeft || source != source_) return false;
  if (state_ == DragState::PolylineDrag) {
    hideXor();
    cur_ = prev_ = sampleOf(in);
    points_.push_back({int(cur_.ix), int(cur_.iy)});
    source_ = kSourceMouse;
    showXor({XorShape::Kind::Line, int(cur_.cx), int(cur_.cy), int(cur_.cx), int(cur_.cy)});
    return true;
  }
  if (state_ == DragState::TextPlace) {
    start_ = cur_ = prev_ = sampleOf(in);
    return true;
  }
  return false;
}

bool CanvasInput::buttonPress(int button, const InputState& in) {
  switch (button) {
    case kButtonLeft:
      toolPress(in);
      return true;
    case kButtonRight:
      setState(DragState::Consumed);
      if (draw_.toolNo == kToolSelection) {
        if (hooks.selectMenu) hooks.selectMenu(in.clientX, in.clientY);
      } else {
        eyedropper(in);
      }
      return true;
    case kButtonMiddle:
      setState(DragState::Pan);
      return true;
    default:
      return sideButton(options_.tabSide[button - kButtonSide1], in);
  }
}

bool CanvasInput::sideButton(int action, const InputState& in) {
  setState(DragState::Consumed);
  switch (action) {
    case kActionEyedropper: eyedropper(in); break;
    case kActionPan: setState(DragState::Pan); break;
    case kActionEraserSwitch: eraserSwitch(); break;
    case kActionUndo:
      if (hooks.undo) hooks.undo();
      break;
    default: break;
  }
  return true;
}

void CanvasInput::toolPress(const InputState& in) {
  setState(DragState::Consumed);
  const bool floating = false;   // no floating selection exists yet
  if (in.backspace) return colourMix(in);
  if (in.enter && !floating) return colourReplace(in);
  if (in.space) return setState(DragState::Pan);
  const int held = in.heldKeyAction();
  const int tool = draw_.toolNo;
  if (held >= kKeyActionEyedropper && !floating) {
    if (held == kKeyActionEyedropper) return eyedropper(in);
    if (tool != kToolSelection && hooks.fill) hooks.fill();
    return;
  }
  switch (tool) {
    case kToolFill:
      if (hooks.fill) hooks.fill();
      return;
    case kToolGradient: return startRubberBand(DragState::LineDrag, 2);
    case kToolText: return setState(DragState::TextPlace);
    case kToolMove: {
      Layer* layer = doc_.currentLayer();
      if (!layer || !work_.create(layer->image.width(), layer->image.height())) return;
      work_.copyFrom(layer->image);
      moveClientX_ = moveClientY_ = 0.0;
      moveOffset_ = {};
      return setState(DragState::LayerMove);
    }
    case kToolSelection: return startRubberBand(DragState::SelectionDrag, 0);
    default: break;
  }
  if (isPaintingTool(tool)) paintingPress(in);
}

bool CanvasInput::paintingPress(const InputState& in) {
  const int tool = draw_.toolNo;
  int type = tools_.drawType[tool];
  const int held = in.heldKeyAction();
  if (held >= 0 && held <= 8 && drawTypeAllowed(tool, held + 1)) type = held + 1;
  switch (type) {
    case 0: break;
    case 1: startRubberBand(DragState::LineDrag, 0); return true;
    case 2: case 3: startRubberBand(DragState::RectDrag, type - 2); return true;
    case 4: case 5: startRubberBand(DragState::EllipseDrag, type - 4); return true;
    case 6: case 7:
      if (Layer* layer = doc_.currentLayer()) doc_.layerBackup.copyFrom(layer->image);
      points_.assign(1, {int(start_.ix), int(start_.iy)});
      startRubberBand(DragState::PolylineDrag, type - 6);
      return true;
    case 8: startRubberBand(DragState::LineDrag, 1); return true;
    case 9:
      points_.assign(1, {int(start_.ix), int(start_.iy)});
      setState(DragState::SplineCollect);
      return true;
    default: return false;
  }
  if (in.shift) {
    setState(DragState::SizeDrag);
    showXor(sizeCircle(start_.cx, start_.cy));
    return true;
  }
  if (options_.guide != GuideKind::None && in.alt) {
    switch (options_.guide) {
      case GuideKind::Parallel: case GuideKind::Grid: startRubberBand(DragState::LineDrag, 3); break;
      case GuideKind::Ellipse: startRubberBand(DragState::EllipseDrag, 2); break;
      default:
        setState(DragState::GuideCentre);
        showXor({XorShape::Kind::Cross, int(start_.cx), int(start_.cy), 0, 0});
        break;
    }
    return true;
  }
  return startStroke(in);
}

void CanvasInput::startRubberBand(DragState s, int sub) {
  setState(s, sub);
  XorShape::Kind kind = XorShape::Kind::Line;
  if (s == DragState::RectDrag || s == DragState::SelectionDrag) kind = XorShape::Kind::Rect;
  if (s == DragState::EllipseDrag) kind = XorShape::Kind::Ellipse;
  int x = int(start_.cx), y = int(start_.cy);
  showXor({kind, x, y, x, y});
  view_.setDragSize(Point{1, 1});
}

bool CanvasInput::startStroke(const InputState& in) {
  (void)in;
  Rect changed;
  StrokeSample s{start_.ix, start_.iy, start_.pressure};
  if (!stroke_.begin(strokeTargetOf(doc_), draw_.toolNo, tools_, s, changed,
                     options_.guide != GuideKind::None))
    return false;
  setState(strokeStateFor(stroke_.route()));
  union_ = changed;
  if (!changed.empty()) view_.refreshRect(changed);
  return true;
}

void CanvasInput::move(int source, const InputState& in) {
  Sample s = sampleOf(in);
  view_.setCursorImagePoint({int(std::floor(s.ix)), int(std::floor(s.iy))});
  if (state_ == DragState::Idle || state_ == DragState::Consumed || source != source_) return;
  cur_ = s;
  if (isStrokeState(state_)) {
    moveStroke();
  } else {
    switch (state_) {
      case DragState::Pan: movePan(); break;
      case DragState::SizeDrag: moveSize(in); break;
      case DragState::LayerMove: moveLayer(in); break;
      case DragState::LineDrag: case DragState::PolylineDrag: case DragState::RectDrag:
      case DragState::EllipseDrag: case DragState::SelectionDrag:
        moveRubberBand(in);
        break;
      default: break;   // the control point and selection drags arrive with their tools
    }
  }
  prev_ = cur_;
}

void CanvasInput::moveStroke() {
  Rect r = stroke_.move({cur_.ix, cur_.iy, cur_.pressure});
  union_ = union_.united(r);
  if (!r.empty()) view_.refreshRect(r);
}

void CanvasInput::endStroke() {
  Stroke::End e = stroke_.end({cur_.ix, cur_.iy, cur_.pressure});
  union_ = union_.united(e.changed);
  if (!e.changed.empty()) view_.refreshRect(e.changed);
  if (!e.undo.empty()) {
    doc_.recorder().recordPixelRectOf(doc_.layerBackup, e.undo);
    if (hooks.layerChanged) hooks.layerChanged();
  }
}

void CanvasInput::movePan() {
  int dx = int(std::lround(cur_.cx - prev_.cx)), dy = int(std::lround(cur_.cy - prev_.cy));
  if (dx == 0 && dy == 0) {
    cur_ = prev_;   // keep the fraction for the next move
    return;
  }
  // Scrolling moves the image under the pointer: the client point stays.
  cur_.cx = prev_.cx + dx;
  cur_.cy = prev_.cy + dy;
  view_.setScroll(view_.scrollX() - dx, view_.scrollY() - dy);
  view_.renderAll();
}

void CanvasInput::moveSize(const InputState& in) {
  (void)in;
  int dx = int(cur_.cx) - int(prev_.cx);
  if (dx == 0) return;
  hideXor();
  tools_.setSize(draw_.toolNo, std::clamp(tools_.sizeOf(draw_.toolNo) + dx, 1, 100));
  engine_.updateShape(draw_.toolNo, tools_);
  showXor(sizeCircle(start_.cx, start_.cy));
  if (hooks.toolChanged) hooks.toolChanged(draw_.toolNo);
}

void CanvasInput::moveLayer(const InputState& in) {
  Layer* layer = doc_.currentLayer();
  if (!layer || !work_.valid()) return;
  if (!in.ctrl) moveClientX_ += cur_.cx - prev_.cx;
  if (!in.shift) moveClientY_ += cur_.cy - prev_.cy;
  // The whole distance is converted at once, so slow moves at high zoom add up.
  Point offset{int(moveClientX_ * 100.0 / view_.zoom()), int(moveClientY_ * 100.0 / view_.zoom())};
  if (view_.mirrored()) offset.x = -offset.x;
  if (offset == moveOffset_) return;
  moveOffset_ = offset;
  layer->image.fill(kTransparent);
  int w = work_.width(), h = work_.height();
  int sx = std::max(0, -offset.x), sy = std::max(0, -offset.y);
  int dx = std::max(0, offset.x), dy = std::max(0, offset.y);
  if (std::abs(offset.x) < w && std::abs(offset.y) < h)
    layer->image.blit(dx, dy, w - std::abs(offset.x), h - std::abs(offset.y), work_, sx, sy);
  view_.refreshAll();
}

void CanvasInput::moveRubberBand(const InputState& in) {
  (void)in;
  XorShape shape = xor_;
  shape.x1 = int(cur_.cx);
  shape.y1 = int(cur_.cy);
  if (shape == xor_) return;
  hideXor();
  showXor(shape);
  if (state_ == DragState::PolylineDrag) return;
  double f = 100.0 / view_.zoom();
  view_.setDragSize(Point{int(std::fabs(cur_.cx - start_.cx) * f) + 1,
                          int(std::fabs(cur_.cy - start_.cy) * f) + 1});
}

void CanvasInput::release(int button, int source, const InputState& in) {
  if (button == kButtonLeft && source == kSourceTablet) {
    penLifted_ = true;
    penLiftMs_ = in.timeMs;
  }
  if (state_ == DragState::Idle || source != source_) return;
  if (button == kButtonRight && finishingStep()) return;
  if (button != button_) return;
  cur_ = sampleOf(in);
  finishRelease(button);
}

void CanvasInput::finishRelease(int button) {
  bool continues = false;
  if (isStrokeState(state_)) {
    endStroke();
  } else {
    switch (state_) {
      case DragState::LineDrag:
        hideXor();
        if (subMode_ == 1) {   // the control points are edited next
          points_.assign(2, {int(start_.ix), int(start_.iy)});
          points_.push_back({int(cur_.ix), int(cur_.iy)});
          points_.push_back(points_.back());
          setState(DragState::BezierEdit, 0);
          continues = true;
        }
        break;
      case DragState::PolylineDrag: case DragState::TextPlace: continues = true; break;
      case DragState::BezierEdit:
        continues = subMode_ == 0;   // the first release fixes the first control point
        subMode_ = 1;
        break;
      case DragState::SplineCollect:
        if (button == kButtonLeft) points_.push_back({int(cur_.ix), int(cur_.iy)});
        continues = true;
        break;
      case DragState::LayerMove:
        doc_.recorder().recordPixelRectOf(work_, doc_.canvasRect());
        work_.destroy();
        view_.refreshAll();
        if (hooks.layerChanged) hooks.layerChanged();
        break;
      default: hideXor(); break;
    }
  }
  if (continues) return;
  view_.setDragSize(std::nullopt);
  setState(DragState::Idle);
  points_.clear();
  if (hooks.capture) hooks.capture(false);
}

bool CanvasInput::finishingStep() {
  if (state_ == DragState::PolylineDrag) {
    hideXor();
    if (!union_.empty()) {
      doc_.recorder().recordPixelRectOf(doc_.layerBackup, union_);
      if (hooks.layerChanged) hooks.layerChanged();
    }
  } else if (state_ != DragState::BezierEdit && state_ != DragState::SplineCollect) {
    return false;
  }
  view_.setDragSize(std::nullopt);
  setState(DragState::Idle);
  points_.clear();
  if (hooks.capture) hooks.capture(false);
  return true;
}

bool CanvasInput::finishKey(bool backspace) {
  if (backspace) {
    if (state_ != DragState::SplineCollect) return false;
    if (!points_.empty()) points_.pop_back();
    if (points_.size() < 2) finishingStep();
    return true;
  }
  return finishingStep();
}

void CanvasInput::cancel() {
  if (state_ == DragState::Idle) return;
  if (isStrokeState(state_) || state_ == DragState::LayerMove) return finishRelease(button_);
  hideXor();
  work_.destroy();
  view_.setDragSize(std::nullopt);
  setState(DragState::Idle);
  points_.clear();
  if (hooks.capture) hooks.capture(false);
}

void CanvasInput::selectTool(int tool) {
  if (tool < 0 || tool >= kToolCount) return;
  if (state_ != DragState::Idle && state_ != DragState::Consumed) return;
  int old = draw_.toolNo;
  if (old != tool && old < kToolGradient && !isEraserTool(old)) options_.eraseBkTool = old;
  draw_.toolNo = tool;
  if (isPaintingTool(tool)) engine_.updateShape(tool, tools_);
  if (hooks.toolChanged) hooks.toolChanged(tool);
}

void CanvasInput::eraserSwitch() {
  if (isEraserTool(draw_.toolNo))
    selectTool(options_.eraseBkTool);
  else
    selectTool(kToolEraseHard + std::clamp(options_.defErase, 0, 2));
}

}  // namespace tessel
