#include "draw/input/canvas_input_outline.h"

#include <algorithm>
#include <cstdlib>

#include "draw/selection/selection.h"

namespace tessel {

namespace {

// Below 200 % the right and bottom lines lie on the last selected pixel,
// from 200 % on the next pixel's edge. Mirrored, each line lies where the
// unmirrored one would after reflection: on the last column of its pixel.
constexpr int kOuterEdgeZoom = 200;

// One rectangle's outline clipped to clip, each pixel once.
void addRectangle(std::vector<Point>& out, int l, int t, int r, int b, const Rect& clip) {
  const int x0 = std::max(l, clip.x), x1 = std::min(r, clip.right() - 1);
  auto row = [&](int y) {
    if (y < clip.y || y >= clip.bottom()) return;
    for (int x = x0; x <= x1; ++x) out.push_back({x, y});
  };
  auto column = [&](int x) {
    if (x < clip.x || x >= clip.right()) return;
    for (int y = std::max(t + 1, clip.y); y <= std::min(b - 1, clip.bottom() - 1); ++y) out.push_back({x, y});
  };
  row(t);
  if (b != t) row(b);
  column(l);
  if (r != l) column(r);
}

}  // namespace

OutlineEdges selectionOutlineEdges(const Rect& r, const CanvasView& view) {
  const int zoom = view.zoom();
  const bool outer = zoom >= kOuterEdgeZoom;
  const int right = r.right() - 1, bottom = r.bottom() - 1;
  OutlineEdges e;
  e.thickness = std::max(1, (zoom / 100 + 1) / 2);
  const Point topLeft = view.viewFromImage(r.x, r.y);
  e.top = topLeft.y;
  e.bottom = view.viewFromImage(0, outer ? bottom + 1 : bottom).y;
  if (!view.mirrored()) {
    e.left = topLeft.x;
    e.right = view.viewFromImage(outer ? right + 1 : right, 0).x;
  } else {
    e.left = view.viewFromImage(r.x - 1, 0).x - 1;
    e.right = view.viewFromImage(outer ? right : right - 1, 0).x - 1;
    e.stepX = -1;
  }
  return e;
}

std::vector<Point> selectionOutlinePoints(const Rect& imageRect, const CanvasView& view, const Rect& clip) {
  std::vector<Point> out;
  if (imageRect.empty() || clip.empty()) return out;
  const OutlineEdges e = selectionOutlineEdges(imageRect, view);
  for (int i = 0; i < e.thickness; ++i) {
    const int a = e.left + i * e.stepX, b = e.right - i * e.stepX;
    const int l = std::min(a, b), r = std::max(a, b), t = e.top + i, bt = e.bottom - i;
    // A thick frame on a small rectangle stops where the steps meet.
    if ((e.stepX > 0 ? a > b : a < b) || t > bt) break;
    addRectangle(out, l, t, r, bt, clip);
  }
  return out;
}

int selectionHandleAt(const Rect& imageRect, const CanvasView& view, int cx, int cy) {
  if (imageRect.empty()) return kHandleNone;
  const OutlineEdges e = selectionOutlineEdges(imageRect, view);
  const int tol = view.zoom() <= 100 ? 3 : 1;
  auto near = [tol](int a, int b) { return std::abs(a - b) <= tol; };
  const bool alongX = cx >= std::min(e.left, e.right) && cx <= std::max(e.left, e.right);
  const bool alongY = cy >= e.top && cy <= e.bottom;
  if (near(cx, e.left) && near(cy, e.top)) return kHandleTopLeft;
  if (near(cx, e.right) && near(cy, e.bottom)) return kHandleBottomRight;
  if (near(cx, e.right) && near(cy, e.top)) return kHandleTopRight;
  if (near(cx, e.left) && near(cy, e.bottom)) return kHandleBottomLeft;
  if (alongX && near(cy, e.top)) return kHandleTop;
  if (alongX && near(cy, e.bottom)) return kHandleBottom;
  if (alongY && near(cx, e.left)) return kHandleLeft;
  if (alongY && near(cx, e.right)) return kHandleRight;
  return kHandleNone;
}

HandleEdges edgesOf(int handle) {
  HandleEdges h;
  h.top = handle == kHandleTop || handle == kHandleTopLeft || handle == kHandleTopRight;
  h.bottom = handle == kHandleBottom || handle == kHandleBottomRight || handle == kHandleBottomLeft;
  h.left = handle == kHandleLeft || handle == kHandleTopLeft || handle == kHandleBottomLeft;
  h.right = handle == kHandleRight || handle == kHandleBottomRight || handle == kHandleTopRight;
  return h;
}

std::optional<Rect> SelectionOutline::frame() const {
  if (frame_) return frame_;
  if (selection_.state() == SelectionState::None || selection_.rect().empty()) return std::nullopt;
  return selection_.rect();
}

Rect SelectionOutline::clientArea() const {
  return Rect{0, 0, view_.clientWidth(), view_.clientHeight()}.intersected(screen_.bounds());
}

std::vector<Point> SelectionOutline::wanted() const {
  const std::optional<Rect> f = frame();
  if (!f || !screen_.valid()) return {};
  return selectionOutlinePoints(*f, view_, clientArea());
}

Rect SelectionOutline::invert(const std::vector<Point>& pts, const Rect& region, bool inside) {
  const Rect area = clientArea();
  int l = 0, t = 0, r = -1, b = -1;
  for (Point p : pts) {
    if (region.contains(p.x, p.y) != inside || !area.contains(p.x, p.y)) continue;
    screen_.row(p.y)[p.x] ^= 0x00FFFFFFu;
    if (r < l) {
      l = r = p.x, t = b = p.y;
    } else {
      l = std::min(l, p.x), r = std::max(r, p.x), t = std::min(t, p.y), b = std::max(b, p.y);
    }
  }
  return r < l ? Rect{} : Rect{l, t, r - l + 1, b - t + 1};
}

void SelectionOutline::invalidate(const Rect& r) {
  if (!r.empty() && view_.onInvalidate) view_.onInvalidate(r);
}

SelectionOutline::Key SelectionOutline::keyNow() const {
  Key k;
  if (!screen_.valid()) return k;
  k.frame = frame();
  k.zoom = view_.zoom();
  k.clientW = view_.clientWidth(), k.clientH = view_.clientHeight();
  k.origin = view_.origin();
  k.mirrored = view_.mirrored();
  return k;
}

void SelectionOutline::replace(const Key& key, const Rect& kept) {
  std::vector<Point> now = wanted();
  shownKey_ = key;
  if (now == shown_ && kept.empty()) return;
  const Rect erased = invert(shown_, kept, false);
  shown_ = std::move(now);
  invalidate(erased.united(invert(shown_, clientArea(), true)));
}

void SelectionOutline::sync() {
  const Key key = keyNow();
  if (key != shownKey_) replace(key, {});
}

// Inside the rendered rectangle the frame is gone; outside it is still the
// one shown before.
void SelectionOutline::rendered(const Rect& screenRect) {
  const Key key = keyNow();
  if (key == shownKey_) {
    invert(shown_, screenRect, true);   // the caller invalidates screenRect
    return;
  }
  replace(key, screenRect);
}

}  // namespace tessel
