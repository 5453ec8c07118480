#pragma once
#include "draw/drag/drag.h"

namespace tessel {

// Placing the centre of the concentrated-lines or circle guide: a cross marks
// the press point until the release ends the drag.
class GuideCentreDrag : public Drag {
 public:
  GuideCentreDrag(const DragContext& ctx, const DragPoint& centre);
  Point centre() const { return centre_; }   // image pixels

  DragState state() const override { return DragState::GuideCentre; }

 private:
  Point centre_;
};

}  // namespace tessel
