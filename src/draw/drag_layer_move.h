#pragma once
#include "draw/drag.h"
#include "image/image32.h"

namespace tessel {

// The move tool: the current layer follows the pointer; Ctrl keeps its
// horizontal and Shift its vertical position.
class LayerMoveDrag : public Drag {
 public:
  LayerMoveDrag(const DragContext& ctx, const DragPoint& start) : ctx_(ctx), prev_(start) {}
  // Keeps the layer as it was; false without a layer or the memory for it.
  bool begin();

  DragState state() const override { return DragState::LayerMove; }
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int button, const DragPoint& p) override;
  void cancel() override { commit(); }
  Point offset() const { return offset_; }

 private:
  void commit();

  const DragContext& ctx_;
  DragPoint prev_;
  Image32 work_;   // the layer before the move
  double clientX_ = 0, clientY_ = 0;
  Point offset_;
};

}  // namespace tessel
