// libFuzzer harness for the JPEG decoder wrapper, whole and reduced.
#include <cstdint>
#include <cstdlib>

#include "platform/image_decoders.h"

// The decoders' own side limit, small enough that no input allocates much.
constexpr int kSide = 256;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tessel::DecodedImage image;
  if (tessel::decodeJpeg(data, size, kSide, image) == tessel::DecodeStatus::kOk) {
    if (!image.pixels || image.width < 1 || image.height < 1 || image.width > kSide || image.height > kSide) std::abort();
    const size_t n = size_t(image.width) * size_t(image.height);
    for (size_t i = 0; i < n; ++i)
      if (image.pixels[i] >> 24 != 0xFF) std::abort();   // always opaque
  }
  // The reduced mode: at most the full size, at least 1/8 of it.
  tessel::DecodedImage small;
  if (tessel::decodeJpegReduced(data, size, kSide, 48, small) == tessel::DecodeStatus::kOk) {
    if (!small.pixels || small.width < 1 || small.height < 1 || small.width > kSide || small.height > kSide) std::abort();
    const size_t n = size_t(small.width) * size_t(small.height);
    for (size_t i = 0; i < n; ++i)
      if (small.pixels[i] >> 24 != 0xFF) std::abort();
  }
  return 0;
}
