// libFuzzer harness for the BMP reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/bmp_codec.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = writeFuzzInput(data, size, ".bmp");
  tessel::Image32 image;
  tessel::ImageReadInfo info;
  if (tessel::readBmp(path, image, info)) {
    if (!image.valid() || image.width() > tessel::kMaxReadSide || image.height() > tessel::kMaxReadSide) std::abort();
    volatile uint32_t sink = image.at(image.width() - 1, image.height() - 1);
    (void)sink;
  }
  std::remove(path.c_str());
  return 0;
}
