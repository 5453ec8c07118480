#pragma once
#include "draw/drag/drag.h"
#include <optional>

#include "draw/shape/guide.h"
#include "draw/brush/stroke_api.h"

namespace tessel {

// A freehand stroke of a painting tool along its route.
class StrokeDrag : public Drag {
 public:
  explicit StrokeDrag(const DragContext& ctx) : ctx_(ctx), stroke_(ctx.engine) {}
  // Starts the current tool's stroke at p; false when it cannot start.
  bool begin(const DragPoint& p);

  DragState state() const override;
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int button, const DragPoint& p) override;
  // Ends the stroke where the pointer was last seen.
  void cancel() override { end(last_); }
  Rect changed() const override { return union_; }

 private:
  void end(const DragPoint& p);
  // The sample the stroke receives: on the guide when one is active.
  StrokeSample sampleOf(const DragPoint& p);

  const DragContext& ctx_;
  Stroke stroke_;
  Rect union_;
  DragPoint last_;
  std::optional<GuideStroke> guide_;
  bool floorPoints_ = false;   // pixel tools take the guide from whole pixels
  bool pixelRoute_ = false;    // the route truncates samples to pixels
};

}  // namespace tessel
