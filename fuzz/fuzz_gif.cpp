// libFuzzer harness for the GIF decoder wrapper.
#include <cstdint>
#include <cstdlib>

#include "platform/image_decoders.h"

// The decoders' own side limit, small enough that no input allocates much.
constexpr int kSide = 256;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tessel::DecodedImage image;
  if (tessel::decodeGif(data, size, kSide, image) == tessel::DecodeStatus::kOk) {
    if (!image.pixels || image.width < 1 || image.height < 1 || image.width > kSide || image.height > kSide) std::abort();
    const size_t n = size_t(image.width) * size_t(image.height);
    for (size_t i = 0; i < n; ++i)
      if (image.pixels[i] >> 24 != 0xFF && image.pixels[i] != 0x00FFFFFFu) std::abort();   // opaque or transparent white
  }
  return 0;
}
