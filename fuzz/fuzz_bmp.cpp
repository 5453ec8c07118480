// libFuzzer harness for the BMP reader and its thumbnail mode.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/bmp_codec.h"
#include "fuzz_file.h"
#include "fuzz_thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
  std::remove(path.c_str());
  return 0;
}
