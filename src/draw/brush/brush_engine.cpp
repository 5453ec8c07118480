#include "draw/brush/brush_engine.h"

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

// What besides the tool picks the tip: the pen's soft bit, the pencil's shape index.
uint32_t tipWordOf(int tool, const ToolSettings& tools) {
  const ToolTraits& row = toolTraits(tool);
  if (row.tip == TipKind::PenDisc) return decodePen(row.wordIn(tools.env)).softTip ? 1 : 0;
  if (row.tip == TipKind::PencilShape)
    return uint32_t(decodePencil(row.wordIn(tools.env)).tipShape) << 16;
  return 0;
}

}  // namespace

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
  const ToolTraits& row = toolTraits(tool);
  stampKind = row.stamp;
  stampOp = row.stampOp;
  eraser = row.eraser;
  if (row.layout == OptionLayout::Pencil && decodePencil(row.wordIn(tools.env)).accumulate && !filled)
    stampOp = kPixelOver;

  BrushContext& c = context_;
  int size = tools.sizeOf(tool), opacity = tools.alphaOf(tool);
  c.maxSize = size;
  c.maxOpacity = opacity;
  c.colour = colour & 0xFFFFFFu;
  c.smoothing = 1;
  c.antiAlias = 1;
  c.curve = 0;
  c.watercolour = 0;
  c.spacing = row.spacingAt(opacity);
  c.pixelOp = row.subPixelOp;
  uint32_t word = tools.optionWord(tool);
  if (row.layout == OptionLayout::Pen) {
    PenOptions pen = decodePen(word);
    c.minSize = pen.pressureSize ? 0 : size;
    c.minOpacity = pen.pressureOpacity ? 0 : opacity;
    // The ring holds 64 samples, so at most 63 earlier ones can be averaged.
    c.smoothing = std::min(pen.smoothing, PointRing::kSize - 1);
    c.antiAlias = pen.antiAlias ? 1 : 0;
    c.curve = pen.curve ? 1 : 0;
  } else {
    PercentOptions percent = decodePercent(word);
    c.minSize = percent.sizeAt(size);
    c.minOpacity = percent.opacityAt(opacity);
  }
  if (row.layout == OptionLayout::PercentWater) {
    static constexpr float kPickUp[kWaterAmounts] = {0.5f, 0.6f, 0.8f, 0.9f};
    static constexpr float kRefill[kWaterAmounts] = {0.2f, 0.15f, 0.06f, 0.03f};
    int amount = decodeWaterAmount(word);
    c.watercolour = 1;
    c.pickUpRate = double(kPickUp[amount]);
    c.refillRate = double(kRefill[amount]);
  }
}

void BrushEngine::updateShape(int tool, const ToolSettings& tools) {
  uint32_t word = tipWordOf(tool, tools);
  bool changed = tool != shapeTool_ || word != shapeWord_;
  if (!changed && tools.sizeOf(tool) == shapeSize_) return;
  rebuildBrushShape(shape_, tool, changed, tools);
  coverage_.clear();
  buildRuns();
  shapeTool_ = tool;
  shapeSize_ = tools.sizeOf(tool);
  shapeWord_ = word;
  context_.shape = &shape_;
}

}  // namespace tessel
