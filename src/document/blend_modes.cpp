#include "document/blend_modes.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace tessel {

int blendTableValue(int mode, int s, int d) {
  switch (mode) {
    case kBlendMultiply:
      return (d * s) / 255;
    case kBlendScreen:
      return d + s - (d * s) / 255;
    case kBlendOverlay:
      return d >= 128 ? 255 - (((255 - d) * (255 - s)) >> 7) : (d * s) >> 7;
    case kBlendSoftLight: {
      int m = (d * s) / 255;
      int scr = 255 - ((255 - d) * (255 - s)) / 255;
      return ((scr - m) * d) / 255 + m;
    }
    case kBlendHardLight:
      return s >= 128 ? 255 - (((255 - d) * (255 - s)) >> 7) : (d * s) >> 7;
    case kBlendColourDodge:
      return s == 255 ? 255 : std::min(255, (255 * d) / (255 - s));
    case kBlendColourBurn:
      return s == 0 ? 0 : std::max(0, 255 - (255 * (255 - d)) / s);
    case kBlendLinearBurn:
      return std::max(0, d + s - 255);
    case kBlendVividLight:
      if (s >= 128) {
        int c = 510 - 2 * s;
        return (d < c && c != 0) ? (255 * d) / c : 255;
      }
      if (255 - 2 * s >= d || s == 0) return 0;
      return ((2 * s + d - 255) * 255) / (2 * s);
    case kBlendLinearLight:
      return std::clamp(d + 2 * s - 255, 0, 255);
    case kBlendPinLight:
      if (s >= 128) return d > 2 * s - 255 ? d : 2 * s - 255;
      return d <= 2 * s ? d : 2 * s;
    case kBlendDifference:
      return std::abs(d - s);
    case kBlendLighten:
      return std::max(d, s);
    case kBlendDarken:
      return std::min(d, s);
    default:   // Normal, and the modes without a table form
      return s;
  }
}

double blendValueF(int mode, double s, double d) {
  switch (mode) {
    case kBlendMultiply:
      return d * s / 255;
    case kBlendScreen:
      return d + s - d * s / 255;
    case kBlendOverlay:
      return d >= 128 ? 255 - (255 - d) * (255 - s) / 128 : d * s / 128;
    case kBlendSoftLight: {
      double m = d * s / 255;
      double scr = 255 - (255 - d) * (255 - s) / 255;
      return m + d * (scr - m) / 255;
    }
    case kBlendHardLight:
      return s >= 128 ? 255 - (255 - d) * (255 - s) / 128 : d * s / 128;
    case kBlendColourDodge:
      return s == 255 ? 255 : std::min(255.0, 255 * d / (255 - s));
    case kBlendColourBurn:
      return s == 0 ? 0 : std::max(0.0, 255 - 255 * (255 - d) / s);
    case kBlendLinearBurn:
      return std::max(0.0, d + s - 255);
    case kBlendVividLight:
      if (s >= 128) {
        double c = 510 - 2 * s;
        return (c > d && s != 255) ? 255 * d / c : 255;
      }
      if (255 - 2 * s >= d || s == 0) return 0;
      return 255 * (d - (255 - 2 * s)) / (2 * s);
    case kBlendLinearLight:
      return std::clamp(d + 2 * s - 255, 0.0, 255.0);
    case kBlendPinLight:
      return s >= 128 ? std::max(d, 2 * s - 255) : std::min(d, 2 * s);
    case kBlendDifference:
      return std::abs(d - s);
    case kBlendLighten:
      return std::max(d, s);
    case kBlendDarken:
      return std::min(d, s);
    default:
      return s;
  }
}

namespace {

// The 65,536 entries plus a little slack, so that packed loops may read a whole
// 32-bit word at any entry.
constexpr size_t kTableBytes = 256 * 256 + kBlendTablePadding;

void fillTable(uint8_t* table, int mode) {
  for (int d = 0; d < 256; ++d)
    for (int s = 0; s < 256; ++s) table[d * 256 + s] = uint8_t(blendTableValue(mode, s, d));
  for (size_t i = 256 * 256; i < kTableBytes; ++i) table[i] = 0;
}

}  // namespace

BlendTable::BlendTable() : spare_(new (std::nothrow) uint8_t[kTableBytes]) {
  current_ = spare_.get();
}

void BlendTable::build(int mode) {
  if (mode == mode_ && current_) return;
  if (mode < 0 || mode >= kBlendModeCount) mode = kBlendNormal;
  if (!cache_[mode]) {
    cache_[mode].reset(new (std::nothrow) uint8_t[kTableBytes]);
    if (cache_[mode]) fillTable(cache_[mode].get(), mode);
  }
  if (cache_[mode]) {
    current_ = cache_[mode].get();
  } else {
    if (!spare_) return;   // nothing to build into; valid() stays as it was
    if (spareMode_ != mode) fillTable(spare_.get(), mode);
    spareMode_ = mode;
    current_ = spare_.get();
  }
  mode_ = mode;
}

Hcl hclFromRgb(int r8, int g8, int b8) {
  float r = float(r8) * kInv255, g = float(g8) * kInv255, b = float(b8) * kInv255;
  Hcl o;
  o.y = 0.3f * r + 0.59f * g + 0.11f * b;
  float mx = std::max(std::max(r, g), b), mn = std::min(std::min(r, g), b);
  o.c = mx - mn;
  if (o.c == 0.0f) return o;
  float angle;
  if (r == mx)
    angle = 60.0f * (g - b) / o.c;
  else if (g == mx)
    angle = 60.0f * (b - r) / o.c + 120.0f;
  else
    angle = 60.0f * (r - g) / o.c + 240.0f;
  if (angle < 0.0f) angle += 360.0f;
  o.h = angle / 360.0f;
  return o;
}

namespace {

uint32_t fractionToByte(float v) {
  int i = roundAddHalf(v * 255.0f);
  return uint32_t(std::clamp(i, 0, 255));
}

float clamp01(float v) { return std::min(std::max(v, 0.0f), 1.0f); }

}  // namespace

Pixel rgbFromHcl(float h, float c, float y) {
  if (c == 0.0f || h < 0.0f) {
    uint32_t v = fractionToByte(y);
    return (v << 16) | (v << 8) | v;
  }
  // Fully saturated colour of hue h: each channel is 1, 0, or h6 minus a
  // whole number of sixths, so the rising and falling edges are exact.
  float h6 = h * 6.0f;
  float r = clamp01(std::max(2.0f - h6, h6 - 4.0f));
  float g = clamp01(std::min(h6, 4.0f - h6));
  float b = clamp01(std::min(h6 - 2.0f, 6.0f - h6));
  float y0 = 0.3f * r + 0.59f * g + 0.11f * b;
  float or_ = (r - y0) * c, og = (g - y0) * c, ob = (b - y0) * c;
  float mx = std::max(std::max(or_, og), ob), mn = std::min(std::min(or_, og), ob);
  float a = 1.0f;
  if (y + mx > 1.0f) a = (1.0f - y) / mx;
  if (y + mn < 0.0f && -y / mn < a) a = -y / mn;
  return (fractionToByte(y + or_ * a) << 16) | (fractionToByte(y + og * a) << 8) |
         fractionToByte(y + ob * a);
}

Pixel blendHcl(int mode, Pixel s, Pixel d) {
  Hcl hs = hclFromRgb(redOf(s), greenOf(s), blueOf(s));
  Hcl hd = hclFromRgb(redOf(d), greenOf(d), blueOf(d));
  switch (mode) {
    case kBlendHue:
      return rgbFromHcl(hs.h, hd.c, hd.y);
    case kBlendSaturation:
      return rgbFromHcl(hd.h, hs.c, hd.y);
    case kBlendColour:
      return rgbFromHcl(hs.h, hs.c, hd.y);
    case kBlendLuminosity:
      return rgbFromHcl(hd.h, hd.c, hs.y);
    default:
      return s & 0x00FFFFFFu;
  }
}

}  // namespace tessel
