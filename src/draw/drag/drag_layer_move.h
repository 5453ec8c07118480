#pragma once
#include "draw/drag/drag.h"
#include "image/image32.h"

namespace tessel {

// The move tool: the current layer follows the pointer; Ctrl keeps its
// horizontal and Shift its vertical position.
class LayerMoveDrag : public Drag {
 public:
  LayerMoveDrag(const DragContext& ctx, const DragPoint& start) : ctx_(ctx), distance_(start) {}
  // Keeps the layer as it was; false without a layer or the memory for it.
  bool begin();

  DragState state() const override { return DragState::LayerMove; }
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int button, const DragPoint& p) override;
  void cancel() override { commit(); }
  Point offset() const { return distance_.offset(); }

 private:
  void commit();

  const DragContext& ctx_;
  MoveDistance distance_;
  Image32 work_;   // the layer before the move
};

}  // namespace tessel
