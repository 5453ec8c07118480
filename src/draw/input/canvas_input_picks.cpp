#include <algorithm>
#include <cmath>

#include "document/document.h"
#include "document/pixel_edit.h"
#include "draw/input/canvas_input.h"

namespace tessel {

namespace {

constexpr uint64_t kMixWindowMs = 10000;

// prev + (next - prev) * num / den per channel, truncating toward zero.
Pixel mixChannels(Pixel prev, Pixel next, int num, int den) {
  auto ch = [&](int shift) {
    int a = int((prev >> shift) & 0xFF), b = int((next >> shift) & 0xFF);
    return uint32_t(a + (b - a) * num / den) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}

bool transparent(Pixel p) { return alphaOf(p) == 0; }

// The composite carries no alpha of its own: the point counts as transparent
// when no visible layer puts anything there.
bool covered(const Document& doc, int x, int y) {
  const LayerList& layers = doc.layers();
  for (int i = 0; i < layers.count(); ++i) {
    const Layer* layer = layers.atIndex(i);
    if (layer->visible() && layer->opacity > 0 && !transparent(layer->image().getPixel(x, y)))
      return true;
  }
  return false;
}

}  // namespace

bool CanvasInput::imagePoint(int& x, int& y) const {
  if (cur_.ix < 0 || cur_.iy < 0) return false;
  x = cur_.px;
  y = cur_.py;
  return x >= 0 && x < doc_.width() && y < doc_.height();
}

void CanvasInput::notifyColour() {
  if (hooks.colourChanged) hooks.colourChanged();
}

void CanvasInput::setSlot(int slot, Pixel colour) {
  (slot == 1 ? draw_.drawCol2 : draw_.drawCol1) = colour & 0xFFFFFFu;
}

// The newest colour goes first; the rest move down and the last drops out.
void CanvasInput::addMaskColour(Pixel colour) {
  colour &= 0xFFFFFFu;
  int n = std::clamp(draw_.colMaskCnt, 1, 5);
  auto* end = draw_.maskCol + n;
  auto* found = std::find(draw_.maskCol, end, colour);
  if (found == end) found = end - 1;
  std::move_backward(draw_.maskCol, found, found + 1);
  draw_.maskCol[0] = colour;
}

void CanvasInput::eyedropper(const InputState& in) {
  consume();
  int x = 0, y = 0;
  if (!imagePoint(x, y)) return;
  Pixel picked = covered(doc_, x, y) ? doc_.pickComposite(x, y) | 0xFF000000u : kTransparent;
  if (in.ctrl) {
    Layer* layer = doc_.currentLayer();
    if (!layer) return;
    picked = layer->image().getPixel(x, y);
  }
  if (in.alt) {
    if (transparent(picked)) return;
    addMaskColour(picked);
  } else if (in.shift) {
    if (transparent(picked)) return;
    setSlot(0, picked);
  } else if (transparent(picked)) {
    if (options_.optFlag & kOptFlagTransparentPickErases)
      selectTool(kEraserTools[std::clamp(options_.defErase, 0, 2)]);
    return;
  } else {
    setSlot(draw_.curColNo, picked);
  }
  notifyColour();
}

void CanvasInput::colourMix(const InputState& in) {
  int x = 0, y = 0;
  if (!imagePoint(x, y)) return;
  Pixel picked = doc_.pickComposite(x, y) & 0xFFFFFFu;
  if (!mixPick_ || in.timeMs - mixPickMs_ > kMixWindowMs) {
    mixPick_ = picked;
    mixPickMs_ = in.timeMs;
    return;
  }
  Pixel prev = *mixPick_;
  if (in.shift) {
    setSlot(0, mixChannels(prev, picked, 1, 3));
    setSlot(1, mixChannels(prev, picked, 2, 3));
  } else {
    setSlot(draw_.curColNo, mixChannels(prev, picked, 1, 2));
  }
  mixPick_.reset();
  notifyColour();
}

void CanvasInput::colourReplace(const InputState& in) {
  Layer* layer = doc_.currentLayer();
  int x = 0, y = 0;
  if (!layer || !imagePoint(x, y)) return;
  Image32& img = layer->image();
  const Pixel v = img.getPixel(x, y);
  const Pixel c = draw_.drawingColour();
  if (in.shift && transparent(v)) return;
  PixelEdit edit(doc_, doc_.canvasRect());
  if (!edit.ok()) return;
  for (int row = 0; row < img.height(); ++row) {
    Pixel* p = img.row(row);
    for (int col = 0; col < img.width(); ++col) {
      Pixel& q = p[col];
      if (in.shift) {
        if (!transparent(q) && (q & 0xFFFFFFu) == (v & 0xFFFFFFu)) q = kTransparent;
      } else if (transparent(v)) {
        if (transparent(q)) q = 0xFF000000u | c;
      } else if (!transparent(q) && (q & 0xFFFFFFu) == (v & 0xFFFFFFu)) {
        q = (q & 0xFF000000u) | c;
      }
    }
  }
  edit.commit(PixelEdit::Unchanged::Record);
  view_.refreshAll();
  if (hooks.layerChanged) hooks.layerChanged();
}

}  // namespace tessel
