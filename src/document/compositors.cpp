// The plain display compositor and the compositors for merging, flattening and
// the colour picker. The packed display loops are in compositors_fast.cpp.
#include "document/compositors.h"

#include <algorithm>
#include <array>

#include "document/display_pixel.h"
#include "document/layer_list.h"

namespace tessel {

namespace {

int knownMode(int mode) { return mode >= 0 && mode < kBlendModeCount ? mode : kBlendNormal; }

// The double-precision compositors divide by 255 exactly, so that full coverage
// is exactly 1 and an opaque layer at full opacity gives its own colour.
double fraction(int v) { return double(v) / 255.0; }

int roundedByte(double x) { return std::clamp(int(x + 0.5), 0, 255); }
int truncatedByte(double x) { return std::clamp(int(x), 0, 255); }

size_t pixelCount(const Image32& image) { return size_t(image.width()) * size_t(image.height()); }
const Pixel* firstPixel(const Image32& image) { return reinterpret_cast<const Pixel*>(image.bits()); }
Pixel* firstPixel(Image32& image) { return reinterpret_cast<Pixel*>(image.bits()); }

}  // namespace

void compositeDisplayLayerScalar(Image32& composite, const Image32& layer, int mode, int opacity,
                                 const Rect& rect, BlendTable& table) {
  mode = knownMode(mode);
  if (rect.empty()) return;
  if (isTableMode(mode) && mode != kBlendNormal && mode != kBlendMultiply) table.build(mode);
  const uint8_t* t = table.data();
  for (int y = rect.y; y < rect.bottom(); ++y) {
    Pixel* d = composite.row(y) + rect.x;
    const Pixel* s = layer.row(y) + rect.x;
    for (int i = 0; i < rect.w; ++i) {
      int k = display::coverage(opacity, s[i]);
      switch (mode) {
        case kBlendNormal: d[i] = display::normal(s[i], d[i], k); break;
        case kBlendMultiply: d[i] = display::multiply(s[i], d[i], k); break;
        case kBlendAdd: d[i] = display::add(s[i], d[i], k); break;
        case kBlendSubtract: d[i] = display::subtract(s[i], d[i], k); break;
        default:
          d[i] = isHclMode(mode) ? display::hcl(mode, s[i], d[i], k) : display::table(s[i], d[i], k, t);
      }
    }
  }
}

void compositeDisplay(Image32& composite, const LayerList& layers, const Rect& rect, bool checker,
                      Pixel checkColour1, Pixel checkColour2, BlendTable& table) {
  std::array<DisplayLayer, kMaxLayers> visible;
  size_t n = 0;
  for (int i = layers.count() - 1; i >= 0 && n < visible.size(); --i) {
    const Layer* layer = layers.atIndex(i);
    if (!layer->visible()) continue;
    if (const TiledImage* tiles = layer->tiles())
      visible[n++] = {nullptr, layer->blendMode, layer->opacity, tiles};
    else
      visible[n++] = {&layer->image(), layer->blendMode, layer->opacity};
  }
  compositeDisplayLayers(composite, std::span(visible.data(), n), rect, checker, checkColour1, checkColour2,
                         table);
}

namespace {

void opaqueRun(Pixel* d, const Pixel* s, size_t n, int mode, int opacity, const uint8_t* t) {
  for (size_t i = 0; i < n; ++i) {
    int k = display::coverage(opacity, s[i]);
    if (k == 0) continue;   // every formula below leaves d unchanged
    Pixel sp = s[i], dp = d[i];
    Pixel out = dp & 0xFF000000u;
    if (isHclMode(mode)) {
      out = display::towardsDiv(blendHcl(mode, sp, dp), dp, k);
    } else {
      for (int sh = 0; sh < 24; sh += 8) {
        int sb = display::byteAt(sp, sh), db = display::byteAt(dp, sh), v;
        if (mode == kBlendAdd)
          v = std::min(255, db + (sb * k) / 255);
        else if (mode == kBlendSubtract)
          v = std::max(0, db - (sb * k) / 255);
        else
          v = display::mixDiv(t[db * 256 + sb], db, k);
        out |= Pixel(v) << sh;
      }
    }
    d[i] = out;
  }
}

void alphaAwareRun(Pixel* d, const Pixel* s, size_t n, int opacityUpper, int opacityLower, int mode) {
  // Where the upper pixel adds nothing, or in Normal covers all, the formula
  // below comes to the lower pixel at its coverage, or to the upper pixel
  // opaque (checked for every value by the tests); most pixels of a painted
  // layer are one or the other.
  const bool shortcuts = mode != kBlendAdd && mode != kBlendSubtract;
  for (size_t i = 0; i < n; ++i) {
    Pixel sp = s[i], dp = d[i];
    const int kU = display::coverage(opacityUpper, sp);
    if (shortcuts && kU == 0) {
      const int kL = display::coverage(opacityLower, dp);
      d[i] = kL == 0 ? kTransparent : (dp & 0xFFFFFFu) | Pixel(kL) << 24;
      continue;
    }
    if (kU == 255 && mode == kBlendNormal) {
      d[i] = sp | 0xFF000000u;
      continue;
    }
    double aU = fraction(kU);
    double aL = fraction(display::coverage(opacityLower, dp));
    double ao = aU + aL - aU * aL;
    if (ao == 0) {
      d[i] = kTransparent;
      continue;
    }
    // Modes 17-20 blend the whole colour; only needed where the upper layer shows.
    Pixel hcl = isHclMode(mode) && aU != 0 ? blendHcl(mode, sp, dp) : sp;
    Pixel out = Pixel(roundedByte(ao * 255)) << 24;
    for (int sh = 0; sh < 24; sh += 8) {
      double sc = display::byteAt(sp, sh), dc = display::byteAt(dp, sh), x;
      if (mode == kBlendAdd) {
        x = std::min(255.0, sc * aU + dc * aL);
      } else if (mode == kBlendSubtract) {
        x = std::max(0.0, dc * aL - sc * aU);
      } else {
        double b = isHclMode(mode) ? double(display::byteAt(hcl, sh)) : blendValueF(mode, sc, dc);
        x = (aU * b + (1 - aU) * aL * dc) / ao;
      }
      out |= Pixel(roundedByte(x)) << sh;
    }
    d[i] = out;
  }
}

void overRun(Pixel* d, const Pixel* s, size_t n, int opacity) {
  for (size_t i = 0; i < n; ++i) {
    Pixel sp = s[i], dp = d[i];
    double aL = fraction(alphaOf(dp));
    double aU = fraction(display::coverage(opacity, sp));
    double ao = aU + aL - aU * aL;
    int alpha = roundedByte(ao * 255);
    if (alpha == 0) {
      d[i] = kTransparent;
      continue;
    }
    Pixel out = Pixel(alpha) << 24;
    for (int sh = 0; sh < 24; sh += 8) {
      double sc = display::byteAt(sp, sh), dc = display::byteAt(dp, sh);
      out |= Pixel(roundedByte((aU * sc + aL * (1 - aU) * dc) / ao)) << sh;
    }
    d[i] = out;
  }
}

int opaqueTable(int mode, BlendTable& table) {
  mode = knownMode(mode);
  if (!isHclMode(mode) && mode != kBlendAdd && mode != kBlendSubtract) table.build(mode);
  return mode;
}

int alphaAwareMode(int modeUpper, int modeLower) {
  int mode = knownMode(modeUpper);
  return mode == knownMode(modeLower) ? kBlendNormal : mode;
}

// Runs of an idle layer's rows straight from its tiles; absent tiles are
// transparent pixels, which the run functions get as such unless skipping them
// changes nothing.
template <class Run>
void tileRuns(Image32& dst, const TiledImage& tiles, bool skipClear, Run run) {
  for (int y = 0; y < dst.height(); ++y) {
    Pixel* row = dst.row(y);
    tiles.forEachRun(y, 0, dst.width(), [&](int x, const Pixel* s, int n) {
      if (s)
        run(row + x, s, size_t(n));
      else if (!skipClear)
        run(row + x, transparentTileRow(), size_t(n));
    });
  }
}

bool sameSize(const Image32& dst, const Layer& src) { return dst.width() == src.width() && dst.height() == src.height(); }

}  // namespace

void compositeOpaque(Image32& dst, const Image32& src, int mode, int opacity, BlendTable& table) {
  mode = opaqueTable(mode, table);
  opaqueRun(firstPixel(dst), firstPixel(src), pixelCount(dst), mode, opacity, table.data());
}

void compositeAlphaAware(Image32& dst, const Image32& src, int opacityUpper, int modeUpper,
                         int opacityLower, int modeLower) {
  alphaAwareRun(firstPixel(dst), firstPixel(src), pixelCount(dst), opacityUpper, opacityLower,
                alphaAwareMode(modeUpper, modeLower));
}

void compositeOver(Image32& dst, const Image32& src, int opacity) {
  overRun(firstPixel(dst), firstPixel(src), pixelCount(dst), opacity);
}

bool compositeOpaque(Image32& dst, const Layer& src, int mode, int opacity, BlendTable& table) {
  if (!sameSize(dst, src)) return false;
  const TiledImage* tiles = src.tiles();
  if (!tiles) {
    const Image32& flat = src.image();
    if (flat.valid()) compositeOpaque(dst, flat, mode, opacity, table);
    return flat.valid();
  }
  mode = opaqueTable(mode, table);
  // A transparent source pixel has coverage 0, which leaves the destination alone.
  tileRuns(dst, *tiles, true, [&](Pixel* d, const Pixel* s, size_t n) { opaqueRun(d, s, n, mode, opacity, table.data()); });
  return true;
}

bool compositeAlphaAware(Image32& dst, const Layer& src, int opacityUpper, int modeUpper, int opacityLower,
                         int modeLower) {
  if (!sameSize(dst, src)) return false;
  const TiledImage* tiles = src.tiles();
  if (!tiles) {
    const Image32& flat = src.image();
    if (flat.valid()) compositeAlphaAware(dst, flat, opacityUpper, modeUpper, opacityLower, modeLower);
    return flat.valid();
  }
  const int mode = alphaAwareMode(modeUpper, modeLower);
  tileRuns(dst, *tiles, false,
           [&](Pixel* d, const Pixel* s, size_t n) { alphaAwareRun(d, s, n, opacityUpper, opacityLower, mode); });
  return true;
}

bool compositeOver(Image32& dst, const Layer& src, int opacity) {
  if (!sameSize(dst, src)) return false;
  const TiledImage* tiles = src.tiles();
  if (!tiles) {
    const Image32& flat = src.image();
    if (flat.valid()) compositeOver(dst, flat, opacity);
    return flat.valid();
  }
  tileRuns(dst, *tiles, false, [&](Pixel* d, const Pixel* s, size_t n) { overRun(d, s, n, opacity); });
  return true;
}

Pixel compositePoint(const LayerList& layers, int x, int y) {
  Pixel d = kTransparent;
  for (int i = layers.count() - 1; i >= 0; --i) {
    const Layer* layer = layers.atIndex(i);
    if (!layer->visible()) continue;
    Pixel s = layer->pixelOrWhite(x, y);
    int mode = knownMode(layer->blendMode);
    int kInt = display::coverage(layer->opacity, s);
    if (kInt == 0) continue;   // d + (B - d) * 0 is d in every mode
    double k = fraction(kInt);
    Pixel hcl = isHclMode(mode) ? blendHcl(mode, s, d) : s;
    Pixel out = d & 0xFF000000u;
    for (int sh = 0; sh < 24; sh += 8) {
      double sc = display::byteAt(s, sh), dc = display::byteAt(d, sh), v;
      if (mode == kBlendAdd)
        v = std::min(255.0, sc * k + dc);
      else if (mode == kBlendSubtract)
        v = std::max(0.0, dc - sc * k);
      else
        v = dc + ((isHclMode(mode) ? display::byteAt(hcl, sh) : blendValueF(mode, sc, dc)) - dc) * k;
      out |= Pixel(truncatedByte(v)) << sh;
    }
    d = out;
  }
  return d;
}

}  // namespace tessel
