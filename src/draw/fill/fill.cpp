#include "draw/fill/fill.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "document/document.h"
#include "document/layer.h"
#include "document/pixel_edit.h"
#include "draw/brush/brush_engine.h"
#include "draw/fill/fill_rows.h"
#include "image/image32.h"

namespace tessel {

namespace {

struct QueuedSpan {
  int x0, x1, y, parent;
};

// a + b - ab in fractions of 255, rounded (255 is odd, so there are no ties).
int unitedAlpha(int a, int b) { return a + b - (2 * a * b + 255) / 510; }

// One walk of the scan-line fill over rows, or over columns with the two
// axes swapped: u runs along a span, v across spans.
class Flood {
 public:
  Flood(Image32& ref, Image32& buffer, const PixelGate& gate, std::mt19937& random, FillMode mode,
        Pixel s, Pixel marker, int opacity, bool columns)
      : ref_(ref), buffer_(buffer), gate_(gate), random_(random), mode_(mode), s_(s),
        marker_(marker), opacity_(opacity), columns_(columns) {
    lenU_ = columns ? ref.height() : ref.width();
    lenV_ = columns ? ref.width() : ref.height();
  }

  void run(int u, int v);
  Rect bounds;

 private:
  Pixel& refAt(int u, int v) { return columns_ ? ref_.row(u)[v] : ref_.row(v)[u]; }
  int alphaAt(int u, int v) { return alphaOf(refAt(u, v)); }
  bool fillable(int u, int v) {
    const Pixel p = refAt(u, v);
    if (mode_ == FillMode::EraseOpaque) return alphaOf(p) > 0;
    if (mode_ == FillMode::Fringe) return alphaOf(p) == 0;
    return p == s_;
  }
  void put(int u, int v) {
    const int x = columns_ ? v : u, y = columns_ ? u : v;
    applyPixelOp(kPixelReplace, gate_, random_, buffer_, x, y, marker_);
  }
  void grow(int u0, int u1, int v) {
    bounds = bounds.united(columns_ ? Rect{v, u0, 1, u1 - u0 + 1} : Rect{u0, v, u1 - u0 + 1, 1});
  }
  void mark(int u, int v) {
    refAt(u, v) = mode_ == FillMode::EraseOpaque ? kTransparent : marker_;
    put(u, v);
  }
  void scan(int a, int b, int v, int parent);
  std::vector<int> walk(int u, int v, int du, int dv, int prev);
  void fringe(int end, int step, int v);

  Image32& ref_;
  Image32& buffer_;
  const PixelGate& gate_;
  std::mt19937& random_;
  FillMode mode_;
  Pixel s_, marker_;
  int opacity_;
  bool columns_;
  int lenU_ = 0, lenV_ = 0;
  std::deque<QueuedSpan> queue_;   // grows as far as the region needs
};

// Pushes every maximal run of fillable pixels of line v within [a, b].
void Flood::scan(int a, int b, int v, int parent) {
  a = std::max(a, 0), b = std::min(b, lenU_ - 1);
  for (int u = a; u <= b; ++u) {
    if (!fillable(u, v)) continue;
    const int start = u;
    while (u + 1 <= b && fillable(u + 1, v)) ++u;
    queue_.push_back({start, u, v, parent});
  }
}

// From (u, v) outwards: pixels whose alpha stays below the opacity and does
// not fall; at a fall the last one taken is given back. Returns the steps taken.
std::vector<int> Flood::walk(int u, int v, int du, int dv, int prev) {
  std::vector<int> taken;
  for (int k = 1;; ++k) {
    const int cu = u + du * k, cv = v + dv * k;
    if (cu < 0 || cu >= lenU_ || cv < 0 || cv >= lenV_) break;
    const int a = alphaAt(cu, cv);
    if (a >= opacity_) break;
    if (a < prev) {
      if (!taken.empty()) taken.pop_back();
      break;
    }
    taken.push_back(k);
    prev = a;
  }
  return taken;
}

// The fringe beyond one end of a filled span: taken along the line and
// marked, then each of its pixels walked across the line, unmarked.
void Flood::fringe(int end, int step, int v) {
  const std::vector<int> along = walk(end, v, step, 0, 0);
  std::vector<std::pair<int, int>> across;   // (u, its alpha before marking)
  for (int k : along) across.push_back({end + step * k, alphaAt(end + step * k, v)});
  for (int k : along) {
    mark(end + step * k, v);
    grow(end + step * k, end + step * k, v);
  }
  for (auto [u, a] : across) {
    if (a == 0) continue;
    for (int dv : {-1, 1})
      for (int k : walk(u, v, 0, dv, a)) {
        put(u, v + dv * k);
        grow(u, u, v + dv * k);
      }
  }
}

void Flood::run(int u0, int v0) {
  queue_.push_back({u0, u0, v0, v0});
  while (!queue_.empty()) {
    const QueuedSpan q = queue_.front();
    queue_.pop_front();
    if (!fillable(q.x0, q.y)) continue;
    int l = q.x0, r = q.x1;
    while (r < lenU_ - 1 && fillable(r + 1, q.y)) ++r;
    while (l > 0 && fillable(l - 1, q.y)) --l;
    for (int u = l; u <= r; ++u) mark(u, q.y);
    grow(l, r, q.y);
    if (mode_ == FillMode::Fringe) {
      fringe(r, 1, q.y);
      fringe(l, -1, q.y);
    }
    // The parent line is already filled over the span that came from it.
    for (int v : {q.y - 1, q.y + 1}) {
      if (v < 0 || v >= lenV_) continue;
      if (v == q.parent) {
        scan(l, q.x0 - 1, v, q.y);
        scan(q.x1 + 1, r, v, q.y);
      } else {
        scan(l, r, v, q.y);
      }
    }
  }
}

}  // namespace

FillMode fillModeOf(uint32_t paint, const FillKeys& keys, Pixel clicked) {
  if (keys.ctrl || (paint & kPaintErase))
    return keys.shift || (paint & kPaintEraseOpaque) ? FillMode::EraseOpaque : FillMode::EraseExact;
  const bool fringe = keys.shift != ((paint & kPaintFringe) != 0);
  return fringe && alphaOf(clicked) == 0 ? FillMode::Fringe : FillMode::Normal;
}

void buildFillReference(const Document& doc, bool currentOnly, Image32& out) {
  std::vector<const Layer*> list;
  if (!currentOnly)
    for (int i = 0; i < doc.layerCount(); ++i)
      if (const Layer* l = doc.layers().atIndex(i); l && l->fillReference()) list.push_back(l);
  if (list.empty() && doc.currentLayer()) list.push_back(doc.currentLayer());
  if (list.empty()) return;
  const Image32& first = list[0]->image();
  if (first.width() != out.width() || first.height() != out.height()) return;
  inTwoHalves(out.height(), [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      Pixel* o = out.row(y);
      std::copy(first.row(y), first.row(y) + out.width(), o);
      for (size_t k = 1; k < list.size(); ++k) {
        const Image32& other = list[k]->image();
        if (other.width() != out.width() || other.height() != out.height()) continue;
        const Pixel* b = other.row(y);
        for (int x = 0; x < out.width(); ++x) {
          const int a1 = alphaOf(o[x]), a2 = alphaOf(b[x]);
          if (a1 + a2 != 0) o[x] = withAlpha(o[x], unitedAlpha(a1, a2));
        }
      }
    }
  });
}

Rect fillAt(Document& doc, const PixelGate& gate, std::mt19937& random, const FillRequest& req) {
  Layer* layer = doc.currentLayer();
  if (!layer || !layer->image().valid()) return {};
  Image32& image = layer->image();
  Image32& ref = doc.layerBackup;
  if (!image.bounds().contains(req.x, req.y) || ref.width() != image.width() ||
      ref.height() != image.height() || doc.strokeBuffer.width() != image.width() ||
      doc.strokeBuffer.height() != image.height())
    return {};
  // An opacity of 0 would write markers that are still fillable.
  const int opacity = std::clamp(req.opacity, 1, 255);
  const Pixel v = (req.colour & 0xFFFFFFu) | Pixel(opacity) << 24;
  const bool eraseByKeys = req.keys.ctrl || (req.paint & kPaintErase);
  const bool currentOnly = ((req.paint & kPaintReference) != 0) == req.keys.alt ||
                           (eraseByKeys && (req.optFlag & kOptFlagEraseFillCurrentOnly));
  buildFillReference(doc, currentOnly, ref);
  const Pixel s = ref.at(req.x, req.y);
  const FillMode mode = fillModeOf(req.paint, req.keys, s);
  const bool erasing = mode == FillMode::EraseExact || mode == FillMode::EraseOpaque;
  if (!erasing && v == s) return {};
  const Pixel marker = erasing ? (Pixel(opacity) << 24) | (~s & 0xFFFFFFu) : v;

  PixelGate g = gate;
  g.reference = &image;
  Image32& buffer = doc.strokeBuffer;
  inTwoHalves(buffer.height(), [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) std::fill_n(buffer.row(y), buffer.width(), kTransparent);
  });
  Rect bounds{req.x, req.y, 1, 1};
  if (mode != FillMode::Fringe && !req.plain) {
    bounds = bounds.united(floodRows(ref, buffer, g, random, mode == FillMode::EraseOpaque, s,
                                     marker, req.x, req.y));
  } else {
    Flood rows(ref, buffer, g, random, mode, s, marker, opacity, false);
    rows.run(req.x, req.y);
    bounds = bounds.united(rows.bounds);
  }
  if (mode == FillMode::Fringe) {
    buildFillReference(doc, currentOnly, ref);
    Flood columns(ref, buffer, g, random, mode, s, marker, opacity, true);
    columns.run(req.y, req.x);
    bounds = bounds.united(columns.bounds);
  }

  // The reference has served: it becomes the layer's backup for the undo step
  // (no canvas-sized allocation per fill), row by row as each row is committed.
  const uint32_t maskMode = layer->maskMode;
  inTwoHalves(image.height(), [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      std::copy(image.row(y), image.row(y) + image.width(), ref.row(y));
      const Rect r = bounds.intersected({0, y, image.width(), 1});
      if (r.empty()) continue;
      if (mode == FillMode::Normal && req.plain) commitOver(image, buffer, ref, r, maskMode);
      else if (mode == FillMode::Normal) commitOverFast(image, buffer, ref, r, maskMode);
      else if (mode == FillMode::Fringe) commitReplace(image, buffer, r, maskMode);
      else commitErase(image, buffer, ref, r, maskMode);
    }
  });
  PixelEdit edit(doc, ref);
  edit.extend(bounds);
  edit.commit(PixelEdit::Unchanged::Record);
  return bounds;
}

}  // namespace tessel
