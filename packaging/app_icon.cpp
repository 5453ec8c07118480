// Build step: the program's icon for the desktop, cut from the same packed
// icon strip the windows take their buttons from (the palette's tiles with the
// tools panel's pencil over them) and enlarged without blurring.
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "filters/resample.h"
#include "formats/png_codec.h"
#include "image/image24.h"
#include "image/image32.h"

namespace {

using namespace tessel;

constexpr int kBase = icon_strip::kBarSize;
constexpr Pixel kTransparentPixel = 0x00FFFFFF;

// The 16 x 16 picture: the palette slot, then the pencil's drawn pixels on top.
bool drawBase(const Image24& strip, Image32& base) {
  if (!base.create(kBase, kBase)) return false;
  base.fill(kTransparentPixel);
  for (int slot : {int(icon_strip::kPanelPalette), int(icon_strip::kPanelTools)}) {
    for (int y = 0; y < kBase; ++y) {
      for (int x = 0; x < kBase; ++x) {
        uint32_t c = strip.getPixel(slot * kBase + x, icon_strip::kBarTop + y);
        if (c != icon_strip::kTransparent) base.set(x, y, 0xFF000000u | c);
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int size = argc == 3 ? std::atoi(argv[2]) : 0;
  if (size < kBase || size % kBase != 0) {
    std::fprintf(stderr, "usage: tessel_app_icon OUT.png SIZE (a multiple of %d)\n", kBase);
    return 2;
  }
  Image24 strip;
  Image32 base, icon;
  if (!strip.createFromPacked(packedIconStrip()) || !drawBase(strip, base) ||
      !scaleImage(base, icon, size, size, ScaleMethod::Nearest) || !writePng(icon, argv[1], 9, true, -1)) {
    std::fprintf(stderr, "tessel_app_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
