// libFuzzer harness: Image24::createFromPacked on arbitrary records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "image/image24.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tessel::Image24 img;
  const bool ok = img.createFromPacked(std::span<const uint8_t>(data, size));
  if (ok) {
    // A success must describe a complete buffer of the declared size.
    if (!img.valid() || size < 8 || img.width() != (data[0] | data[1] << 8) ||
        img.height() != (data[2] | data[3] << 8))
      std::abort();
    volatile uint32_t sink = img.getPixel(img.width() - 1, 0) ^ img.getPixel(0, img.height() - 1);
    (void)sink;
  } else if (img.valid() || img.width() != 0 || img.height() != 0 || img.pitch() != 0) {
    std::abort();   // a failure must leave the buffer empty
  }
  return 0;
}
