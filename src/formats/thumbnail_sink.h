#pragma once
#include <vector>

#include "image/image32.h"

namespace tessel {

// Shrinks a picture that arrives row by row, in any order, into a thumbnail
// that fits side x side (never enlarged). Each thumbnail pixel averages a
// grid of at most 4 x 4 source pixels spread over the area it covers, laid
// over white, so a reader can skip every row the sink does not want.
class ThumbnailSink {
 public:
  bool begin(int width, int height, int side);
  int width() const { return srcW_; }
  int height() const { return srcH_; }
  bool wantsRow(int y) const { return y >= 0 && y < srcH_ && rowTarget_[size_t(y)] >= 0; }
  // row holds width() pixels of source row y; unwanted rows are ignored.
  void addRow(int y, const Pixel* row);
  // The averages; false before begin succeeded.
  bool finish(Image32& out) const;
  // A whole image through the sink.
  static bool shrink(const Image32& image, int side, Image32& out);

 private:
  struct Column {
    int source, target;
  };
  int srcW_ = 0, srcH_ = 0, outW_ = 0, outH_ = 0;
  std::vector<int> rowTarget_;       // per source row: its thumbnail row, or -1
  std::vector<Column> columns_;      // the sampled source columns
  std::vector<uint32_t> sums_;       // red, green, blue, count per thumbnail pixel
};

}  // namespace tessel
