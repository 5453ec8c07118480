// libFuzzer harness for the clipboard bitmap readers.
#include <cstdint>
#include <cstdlib>

#include "formats/clipboard_dib.h"

namespace {

// Pastes into a target of the block's own size when it is small, else 8 x 8.
void pasteBoth(const uint8_t* data, size_t size, int width, int height) {
  tessel::Image32 target;
  if (!target.create(width, height)) return;
  if (tessel::pasteDib32(data, size, target) == tessel::DibResult::Ok) {
    for (int y = 0; y < target.height(); ++y)
      for (int x = 0; x < target.width(); ++x) {
        const tessel::Pixel p = target.at(x, y);
        if ((p >> 24) == 0 && p != tessel::kTransparent) std::abort();
      }
  }
  if (tessel::pasteBitmap(data, size, target)) {
    for (int y = 0; y < target.height(); ++y)
      if ((target.at(target.width() - 1, y) >> 24) != 0xFF) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int width = 0, height = 0;
  const bool sized = tessel::dibSize(data, size, width, height);
  if (sized && (width <= 0 || height <= 0)) std::abort();
  const tessel::DibResult check = tessel::checkDib32(data, size);
  if (sized != (check != tessel::DibResult::Invalid)) std::abort();
  if (sized && width <= 64 && height <= 64) pasteBoth(data, size, width, height);
  pasteBoth(data, size, 8, 8);
  return 0;
}
