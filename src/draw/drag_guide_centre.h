#pragma once
#include "draw/drag.h"

namespace tessel {

// Placing the centre of the concentrated-lines or circle guide: a cross marks
// the press point until the release.
class GuideCentreDrag : public Drag {
 public:
  GuideCentreDrag(const DragContext& ctx, const DragPoint& centre);

  DragState state() const override { return DragState::GuideCentre; }
  bool release(int button, const DragPoint& p) override;
  Point centre() const { return centre_; }

 private:
  const DragContext& ctx_;
  Point centre_;   // image pixels
};

}  // namespace tessel
