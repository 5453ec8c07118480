// libFuzzer harness for the PSD merged-image reader and its thumbnail mode.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/psd_document.h"
#include "fuzz_file.h"

namespace {

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= 22 && uint64_t(be32(data + 14)) * be32(data + 18) > 4096 * 4096) return 0;
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
  std::remove(path.c_str());
  return 0;
}
