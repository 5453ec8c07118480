// libFuzzer harness for the PNG reader and its thumbnail mode.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/png_codec.h"
#include "formats/thumbnail_sink.h"
#include "fuzz_file.h"

// The thumbnail mode must give exactly the whole image shrunk, or fail with it.
inline void checkThumbnail(bool fullOk, const tessel::Image32& full, bool thumbOk, const tessel::Image32& thumb) {
  if (thumbOk != fullOk) std::abort();
  if (!fullOk) return;
  tessel::Image32 expected;
  if (!tessel::ThumbnailSink::shrink(full, 48, expected)) std::abort();
  if (thumb.width() != expected.width() || thumb.height() != expected.height()) std::abort();
  for (int y = 0; y < thumb.height(); ++y)
    for (int x = 0; x < thumb.width(); ++x)
      if (thumb.at(x, y) != expected.at(x, y)) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
  std::remove(path.c_str());
  return 0;
}
