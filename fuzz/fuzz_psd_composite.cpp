// libFuzzer harness for the PSD merged-image reader and its thumbnail mode.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/psd_document.h"
#include "fuzz_file.h"
#include "fuzz_limits.h"
#include "image/size_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= 22 && !fuzzWorthReading(fuzzBe32(data + 18), fuzzBe32(data + 14), 1, tessel::kMaxPsdSide)) return 0;
  std::string path = writeFuzzInput(data, size, ".psd");
  tessel::Image32 image;
  if (tessel::readPsdComposite(path, image)) {
    // Every pixel of a merged image is opaque.
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (tessel::alphaOf(image.at(x, y)) != 255) std::abort();
  }
  tessel::Image32 thumb;
  if (tessel::readPsdThumbnail(path, 48, thumb)) {
    if (thumb.width() > 48 || thumb.height() > 48) std::abort();
    for (int y = 0; y < thumb.height(); ++y)
      for (int x = 0; x < thumb.width(); ++x)
        if (tessel::alphaOf(thumb.at(x, y)) != 255) std::abort();
  }
  return 0;
}
