// libFuzzer harness for the BMP reader and its thumbnail mode.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/bmp_codec.h"
#include "fuzz_file.h"
#include "fuzz_limits.h"
#include "image/size_limits.h"
#include "fuzz_thumbnail.h"

namespace {

// Width and height from the core or the info header.
bool withinMemoryBudget(const uint8_t* data, size_t size) {
  if (size < 26) return true;
  const uint32_t header = fuzzLe32(data + 14);
  int64_t w = header == 12 ? fuzzLe16(data + 18) : int32_t(fuzzLe32(data + 18));
  int64_t h = header == 12 ? fuzzLe16(data + 20) : int32_t(fuzzLe32(data + 22));
  if (w <= 0) return true;
  return fuzzWorthReading(uint64_t(w), uint64_t(h < 0 ? -h : h), 1, tessel::kMaxReadSide);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!withinMemoryBudget(data, size)) return 0;
  std::string path = writeFuzzInput(data, size, ".bmp");
  tessel::Image32 image;
  tessel::ImageReadInfo info;
  const bool ok = tessel::readBmp(path, image, info);
  tessel::Image32 thumb;
  checkThumbnail(ok, image, tessel::readBmpThumbnail(path, 48, thumb), thumb);
  if (ok) {
    if (!image.valid() || image.width() > tessel::kMaxReadSide || image.height() > tessel::kMaxReadSide) std::abort();
    volatile uint32_t sink = image.at(image.width() - 1, image.height() - 1);
    (void)sink;
  }
  return 0;
}
