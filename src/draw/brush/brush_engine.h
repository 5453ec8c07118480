#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "draw/brush/brush_context.h"
#include "draw/brush/brush_shape.h"
#include "draw/brush/dab_coverage.h"
#include "draw/brush/dab_random.h"
#include "draw/brush/point_ring.h"
#include "draw/tool/tool_settings.h"
#include "image/band_copy.h"
#include "image/geometry.h"

namespace tessel {

class Image32;

// A horizontal run of set tip bytes: row, first and last column.
struct ShapeRun {
  int row, first, last;
};

// Paint colour and carried colour of the watercolour, channels blue, green, red.
struct WatercolourMix {
  double paint[3] = {};
  double carried[3] = {};
};

// The drawing engine's state: context, tip, random generator and the carries
// of finger and watercolour. The application owns one and passes it down; one
// stroke at a time uses it.
class BrushEngine {
 public:
  BrushEngine() = default;
  BrushEngine(const BrushEngine&) = delete;
  BrushEngine& operator=(const BrushEngine&) = delete;

  // Allocates the carries and fills the tables. Without a seed the generator
  // starts from the tick count. False when memory runs out.
  bool init(std::optional<uint32_t> seed = std::nullopt);
  void seed(uint32_t value) { random_.seed(value); }

  BrushContext& context() { return context_; }
  const BrushContext& context() const { return context_; }
  // The generator for callers that take a std::mt19937; the dab loops draw
  // the same sequence through the engine's own twister.
  std::mt19937& random() { return random_.standard(); }
  const BrushShape& shape() const { return shape_; }
  const BSplineTable& bspline() const { return bspline_; }
  const WatercolourMix& watercolourMix() const { return mix_; }

  // At every accepted press: reference, drawing value, texture, mask modes.
  void refreshContext(const Image32& layer, uint32_t layerMaskMode, const DrawSettings& draw,
                      const ToolSettings& tools, const std::vector<Texture>* textures);
  // When a stroke or shape starts.
  void setupTool(int tool, bool filled, const ToolSettings& tools, Pixel colour);
  // Rebuilds the tip when the tool or its size changed since the last call.
  void updateShape(int tool, const ToolSettings& tools);

  // Results of setupTool for the pixel rasteriser and the commit.
  StampKind stampKind = StampKind::Shape;
  int stampOp = kPixelReplace;
  bool eraser = false;
  Pixel drawValue = 0xFF000000u;   // drawing colour with the tool opacity on top

  // --- per-pixel operations (draw/pixel/pixel_ops.cpp) ---
  // The common gate: address and effective opacity, or null when rejected.
  Pixel* gate(Image32& image, int x, int y, int& alpha) const {
    return context_.admit(image, x, y, alpha);
  }
  void applyPixelOp(int op, Image32& image, int x, int y, Pixel value) {
    tessel::applyPixelOp(op, context_, random_.standard(), image, x, y, value);
  }

  // --- pixel rasteriser (pixel_raster.cpp) ---
  void pixelLine(Image32& image, int x0, int y0, int x1, int y1, Pixel colour, bool skipFirst,
                 StampKind kind, int op);
  void stampAt(Image32& image, int x, int y, Pixel colour, StampKind kind, int op);
  void smudgePickUp(const Image32& layer, int x, int y);
  void stampSmudge(Image32& image, int x, int y);

  // --- sub-pixel rasteriser (dab_raster.cpp) ---
  double drawSegment(Image32& image, const StrokePoint& from, const StrokePoint& to, double carry);
  void stampSmall(Image32& image, int x16, int y16, int d16, Pixel colour, int a);
  void stampLarge(Image32& image, int x8, int y8, int e8, Pixel colour, int a);
  // Smooths the ring, draws to the result and returns the changed rectangle
  // clipped to the image; false when it lies wholly outside.
  bool strokeTo(Image32& image, const PointRing& ring, CurveHistory& history, Rect& dirty,
                double& carry, StrokePoint& last);
  // The fast path (cached coverage, row loops) is on by default; the plain
  // per-pixel path stays for comparison. Both write the same bytes.
  void setFastPath(bool on) { fast_ = on; }
  bool fastPath() const { return fast_; }
  // While set, every dab first prepares the bands it reaches: of the fill's
  // image when it draws there, so a stroke buffer is cleared only where the
  // stroke goes; and of the copy wherever it draws, so a layer's backup is
  // taken band by band before the stroke first writes or tests a band.
  void setLazyBands(BandCopy* fill, BandCopy* copy) { lazyFill_ = fill, lazyCopy_ = copy; }
  // Stamps and dabs placed since the last reset (for measurements).
  int dabCount() const { return dabs_; }
  void resetDabCount() { dabs_ = 0; }

  // --- watercolour (dab_raster.cpp) ---
  void watercolourStart(const Image32& layer, double x, double y, Pixel colour, double mixRate);
  Pixel sampleCanvasColour(const Image32& image, int x8, int y8, int d8) const;
  Pixel mixWatercolour(Pixel sample);

 private:
  void buildRuns();
  void stampShape(Image32& image, int x, int y, Pixel colour, int op);
  void stampMask(Image32& image, int left, int top, int diameter, int subShift, Pixel colour, int a,
                 bool large);
  bool stampCovered(Image32& image, int left, int top, int diameter, int subShift, Pixel colour,
                    int a, bool large);
  bool stampSmudgeRows(Image32& image, int x, int y);
  Rect grownRect(double minX, double minY, double maxX, double maxY, const Image32& image) const;
  void reach(const Image32& image, const Rect& r) const {
    if (lazyFill_ && lazyFill_->target() == &image) lazyFill_->prepare(r);
    if (lazyCopy_) lazyCopy_->prepare(r);
  }

  BrushContext context_;
  BandCopy* lazyFill_ = nullptr;
  BandCopy* lazyCopy_ = nullptr;
  BrushShape shape_;
  std::vector<ShapeRun> runs_;   // set bytes of the pixel tip
  int shapeTool_ = -1;
  int shapeSize_ = 0;
  uint32_t shapeWord_ = 0;
  RandomSource random_;
  std::unique_ptr<Pixel[]> smudgeCarry_;   // 100 x 100 pixels
  int smudgeSide_ = 0;
  WatercolourMix mix_;
  BSplineTable bspline_;
  int dabs_ = 0;
  bool fast_ = true;
  DabCoverageCache coverage_;   // of the current tip
};

// Writing a rectangle of the layer from the stroke buffers.
void commitOver(Image32& layer, const Image32& buffer, const Image32& backup, const Rect& rect,
                uint32_t maskMode);
void commitErase(Image32& layer, const Image32& buffer, const Image32& backup, const Rect& rect,
                 uint32_t maskMode);
void commitReplace(Image32& layer, const Image32& buffer, const Rect& rect, uint32_t maskMode);
// commitOver with the common cases (nothing or everything in the buffer) taken
// without arithmetic; the same bytes.
void commitOverFast(Image32& layer, const Image32& buffer, const Image32& backup, const Rect& rect,
                    uint32_t maskMode);
// The eraser flag picks commitErase, else commitOver (commitOverFast when fast).
void commitStroke(bool eraser, Image32& layer, const Image32& buffer, const Image32& backup,
                  const Rect& rect, uint32_t maskMode, bool fast = false);

}  // namespace tessel
