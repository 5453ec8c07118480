#include "draw/brush_engine.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "image/image32.h"

namespace tessel {

namespace {

// Milliseconds since an arbitrary start, as a system tick count would give.
uint32_t tickCount() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

struct ToolRates {
  double spacing;
  int op;
};

ToolRates ratesFor(int tool, int opacity) {
  switch (tool) {
    case kToolPen: return {0.1, kPixelMax};
    case kToolPen2: return {0.06, kPixelOver};
    case kToolWatercolour: return {0.05, kPixelOverKeepAlpha};
    case kToolAirbrush: return {0.15, kPixelSpray};
    case kToolErasePen: return {0.1, kPixelOver};
    case kToolBlur: return {double(255 - opacity) / 255.0 + 0.01, kPixelBlur};
    case kToolDodge: return {0.2, kPixelDodge};
    case kToolBurn: return {0.2, kPixelBurn};
    default: return {0.15, kPixelOver};
  }
}

}  // namespace

bool BrushContext::isMaskColour(Pixel colour) const {
  int n = std::clamp(colourMaskCount, 0, 5);
  for (int i = 0; i < n; ++i)
    if ((maskColours[i] & 0xFFFFFFu) == (colour & 0xFFFFFFu)) return true;
  return false;
}

bool BrushEngine::init(std::optional<uint32_t> seedValue) {
  smudgeCarry_.reset(new (std::nothrow) Pixel[kMaskBytes]);
  if (!smudgeCarry_) return false;
  std::fill_n(smudgeCarry_.get(), kMaskBytes, kTransparent);
  random_.seed(seedValue ? *seedValue : tickCount());
  bspline_.fill();
  context_.shape = &shape_;
  buildRuns();
  return true;
}

void BrushEngine::refreshContext(const Image32& layer, uint32_t layerMaskMode,
                                 const DrawSettings& draw, const ToolSettings& tools,
                                 const std::vector<Texture>* textures) {
  context_.reference = &layer;
  context_.shape = &shape_;
  drawValue = draw.drawingColour() | (Pixel(tools.alphaOf(draw.toolNo)) << 24);
  context_.texture = nullptr;
  if (draw.textureOn && textures && draw.textureSel >= 0 &&
      size_t(draw.textureSel) < textures->size() && (*textures)[draw.textureSel].usable())
    context_.texture = &(*textures)[draw.textureSel];
  context_.maskMode = layerMaskMode <= kMaskAlpha ? layerMaskMode : kMaskNone;
  context_.colourMaskMode = draw.colMaskType <= kColourMaskOnly ? draw.colMaskType : kColourMaskOff;
  context_.colourMaskCount = std::clamp(draw.colMaskCnt, 1, 5);
  for (int i = 0; i < 5; ++i) context_.maskColours[i] = draw.maskCol[i] & 0xFFFFFFu;
}

void BrushEngine::setupTool(int tool, bool filled, const ToolSettings& tools, Pixel colour) {
  stampKind = StampKind::Shape;
  stampOp = kPixelReplace;
  eraser = false;
  if (tool == kToolPencil && (tools.env.pencil & kPencilAccumulate) && !filled) stampOp = kPixelOver;
  if (tool == kToolLine) stampKind = StampKind::Point;
  if (tool == kToolAirbrush) stampOp = kPixelSpray;
  if (tool >= kToolEraseHard && tool <= kToolEraseBrush) eraser = true;
  if (tool == kToolBlur) stampOp = kPixelBlur;
  if (tool == kToolFinger) stampKind = StampKind::Smudge;
  if (tool == kToolDodge) stampOp = kPixelDodge;
  if (tool == kToolBurn) stampOp = kPixelBurn;

  BrushContext& c = context_;
  int size = tools.sizeOf(tool), opacity = tools.alphaOf(tool);
  c.maxSize = size;
  c.maxOpacity = opacity;
  c.colour = colour & 0xFFFFFFu;
  c.smoothing = 1;
  c.antiAlias = 1;
  c.curve = 0;
  c.watercolour = 0;
  ToolRates rates = ratesFor(tool, opacity);
  c.spacing = rates.spacing;
  c.pixelOp = rates.op;
  uint32_t word = usesSubPixel(tool) ? tools.optionWord(tool) : 0;
  if (tool == kToolPen) {
    c.minSize = (word & kPenPressureSize) ? 0 : size;
    c.minOpacity = (word & kPenPressureOpacity) ? 0 : opacity;
    // The ring holds 64 samples, so at most 63 earlier ones can be averaged.
    c.smoothing = std::min(int(word & 0xFF), PointRing::kSize - 1);
    c.antiAlias = (word & kPenAntiAlias) ? 1 : 0;
    c.curve = (word & kPenCurve) ? 1 : 0;
  } else {
    // Size percent in bits 8-15, opacity percent in bits 0-7; higher bits belong to others.
    c.minSize = int((word >> 8) & 0xFF) * size / 100;
    c.minOpacity = int(word & 0xFF) * opacity / 100;
  }
  if (tool == kToolWatercolour) {
    static constexpr float kPickUp[4] = {0.5f, 0.6f, 0.8f, 0.9f};
    static constexpr float kRefill[4] = {0.2f, 0.15f, 0.06f, 0.03f};
    int amount = std::min(int((word >> 16) & 0xFF), 3);
    c.watercolour = 1;
    c.pickUpRate = double(kPickUp[amount]);
    c.refillRate = double(kRefill[amount]);
  }
}

void BrushEngine::updateShape(int tool, const ToolSettings& tools) {
  // What besides the tool picks the tip: the pen's soft bit, the pencil's shape index.
  uint32_t word = 0;
  if (tool == kToolPen) word = tools.env.pen & kPenSoftTip;
  if (tool == kToolPencil) word = (tools.env.pencil & 0xFF) << 16;
  bool changed = tool != shapeTool_ || word != shapeWord_;
  if (!changed && tools.sizeOf(tool) == shapeSize_) return;
  rebuildBrushShape(shape_, tool, changed, tools);
  buildRuns();
  shapeTool_ = tool;
  shapeSize_ = tools.sizeOf(tool);
  shapeWord_ = word;
  context_.shape = &shape_;
}

}  // namespace tessel
