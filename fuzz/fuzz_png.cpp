// libFuzzer harness for the PNG reader and its thumbnail mode.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/png_codec.h"
#include "fuzz_file.h"
#include "fuzz_limits.h"
#include "image/size_limits.h"
#include "fuzz_thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // IHDR's width and height follow the signature and the chunk's length and type.
  if (size >= 24 && !fuzzWorthReading(fuzzBe32(data + 16), fuzzBe32(data + 20), 1, tessel::kMaxReadSide)) return 0;
  std::string path = writeFuzzInput(data, size, ".png");
  tessel::Image32 image;
  tessel::ImageReadInfo info;
  const bool ok = tessel::readPng(path, image, info);
  tessel::Image32 thumb;
  checkThumbnail(ok, image, tessel::readPngThumbnail(path, 48, thumb), thumb);
  if (ok) {
    if (!image.valid() || image.width() > tessel::kMaxReadSide || image.height() > tessel::kMaxReadSide) std::abort();
    volatile uint32_t sink = image.at(image.width() - 1, image.height() - 1);
    (void)sink;
  }
  return 0;
}
