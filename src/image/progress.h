#pragma once

namespace tessel {

// How long work reports how far it has come: a range, then one step at a time.
// The Qt shell posts to the progress dialog; the command line draws a bar.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void setRange(int steps) = 0;
  virtual void step() = 0;
  // Jumps to a position inside the range; bars that only count steps ignore it.
  virtual void setPosition(int /*position*/) {}
  // Cancel was pressed; only work that offers a Cancel button asks.
  virtual bool cancelled() const { return false; }
};

}  // namespace tessel
