#pragma once
#include <cstdint>
#include <vector>

#include "image/geometry.h"
#include "image/image32.h"

namespace tessel {

// A copy of an image taken in bands of rows when they are first needed. A
// stroke changes a few rows of a big layer: only those are copied, and the
// copy holds memory in proportion to them. The rule for the caller: the
// source changes only in rows already prepared, so a band copied late still
// holds what the source held at start.
class BandCopy {
 public:
  static constexpr int kBandRows = 64;

  // A new copy of source into copy (same size), nothing taken yet. The pages
  // of the bands the last copy took go back to the system. False, with
  // nothing started, when the sizes differ.
  bool start(const Image32& source, Image32& copy);
  // Copies the bands rect touches that are not yet copied.
  void prepare(const Rect& rect);
  void prepareAll() { prepare({0, 0, width_, int(ready_.size()) * kBandRows}); }
  // The copy is complete or no longer needed: later prepares do nothing.
  void finish() { source_ = nullptr; }
  bool active() const { return source_ != nullptr; }
  int bandsCopied() const;

 private:
  const Image32* source_ = nullptr;
  Image32* copy_ = nullptr;
  const Pixel* copyTop_ = nullptr;   // the buffer the flags below describe
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> ready_;
};

}  // namespace tessel
