#pragma once
#include <cstdint>
#include <vector>

#include "image/geometry.h"
#include "image/image32.h"

namespace tessel {

// A copy of an image, or a fill with one value, made in bands of rows when
// they are first needed. A stroke changes a few rows of a big layer: only
// those are copied or cleared, and the image holds memory in proportion to
// them. A fill goes further, a piece of kFillColumns of a band at a time, so
// that a stroke across the canvas clears only the pages along its path. The
// rule for the caller: the source changes only in parts already prepared, so
// a band copied late still holds what the source held at start; and nothing
// reads or writes a part of a fill before preparing it.
class BandCopy {
 public:
  static constexpr int kBandRows = 64;
  static constexpr int kFillColumns = 256;

  // A new copy of source into copy (same size), nothing taken yet. The pages
  // of the bands the last copy took go back to the system. False, with
  // nothing started, when the sizes differ.
  bool start(const Image32& source, Image32& copy);
  // The same for a fill of image with value. Every page of the image goes back
  // to the system first, whoever wrote it.
  bool startFill(Image32& image, Pixel value);
  // Copies (or fills) the bands rect touches that are not yet done.
  void prepare(const Rect& rect);
  void prepareAll() { prepare({0, 0, width_, int(ready_.size()) * kBandRows}); }
  // The copy is complete or no longer needed: later prepares do nothing.
  void finish();
  bool active() const { return active_; }
  // The image being copied into or filled, while active.
  const Image32* target() const { return active_ ? copy_ : nullptr; }
  // Bands with anything copied or filled, and the pieces of them.
  int bandsCopied() const;
  int piecesDone() const;
  // Whether the last copy or fill reached pixel (x, y).
  bool done(int x, int y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_ &&
           ready_[size_t(y / kBandRows) * size_t(across_) + size_t(x / pieceW_)] != 0;
  }

 private:
  bool begin(Image32& copy, int pieceW);
  bool bandTaken(int band) const;   // any piece of it done

  const Image32* source_ = nullptr;   // null for a fill
  Pixel value_ = 0;
  bool active_ = false;
  Image32* copy_ = nullptr;
  const Pixel* copyTop_ = nullptr;   // the buffer the flags below describe
  int width_ = 0, height_ = 0;
  int pieceW_ = 1, across_ = 1;   // columns of a piece; pieces in a band
  std::vector<uint8_t> ready_;      // band by band, the pieces of each
};

}  // namespace tessel
