#pragma once
#include <cstdint>
#include <memory>

#include "image/geometry.h"
#include "image/pixel.h"

namespace tessel {

// Blend-mode indices as documents store them.
enum BlendMode : uint8_t {
  kBlendNormal = 0,
  kBlendMultiply = 1,
  kBlendAdd = 2,
  kBlendSubtract = 3,
  kBlendScreen = 4,
  kBlendOverlay = 5,
  kBlendSoftLight = 6,
  kBlendHardLight = 7,
  kBlendColourDodge = 8,
  kBlendColourBurn = 9,
  kBlendLinearBurn = 10,
  kBlendVividLight = 11,
  kBlendLinearLight = 12,
  kBlendPinLight = 13,
  kBlendDifference = 14,
  kBlendLighten = 15,
  kBlendDarken = 16,
  kBlendHue = 17,
  kBlendSaturation = 18,
  kBlendColour = 19,
  kBlendLuminosity = 20,
};
constexpr int kBlendModeCount = 21;

// Modes 17-20 work on whole pixels (hue, chroma, luma), not byte by byte.
constexpr bool isHclMode(int mode) { return mode >= kBlendHue && mode <= kBlendLuminosity; }
// Modes whose integer form comes from the 256 x 256 table.
constexpr bool isTableMode(int mode) {
  return mode == kBlendNormal || mode == kBlendMultiply || (mode >= kBlendScreen && mode <= kBlendDarken);
}

// Integer blend result B(s, d) of a table mode, as the table holds it.
// Modes that have no table form (Add, Subtract, 17-20, out of range) give s.
int blendTableValue(int mode, int s, int d);
// The same formula in double precision, for the alpha-aware and point compositors.
// Add and Subtract give s (their compositors treat them specially); so do modes
// 17-20, which blend whole pixels through blendHcl.
double blendValueF(int mode, double s, double d);

// Bytes readable after the last table entry (packed loops read 32-bit words).
constexpr int kBlendTablePadding = 4;

// 256 x 256 table, entry [d * 256 + s] = B(s, d) for the mode last built.
// Each mode's table is built once and kept, so switching between layers of
// different modes costs nothing after the first use.
class BlendTable {
 public:
  BlendTable();   // allocates the working table; valid() reports failure
  bool valid() const { return current_ != nullptr; }
  void build(int mode);   // no-op when already built for mode
  int mode() const { return mode_; }
  const uint8_t* data() const { return current_; }
  uint8_t operator()(int s, int d) const { return current_[d * 256 + s]; }

 private:
  std::unique_ptr<uint8_t[]> spare_;   // used when a cached table cannot be allocated
  std::unique_ptr<uint8_t[]> cache_[kBlendModeCount];
  const uint8_t* current_ = nullptr;
  int mode_ = -1;
  int spareMode_ = -1;
};

// Hue (0..1), chroma and luma (0..1) of a colour, single precision.
struct Hcl {
  float h = 0, c = 0, y = 0;
};
Hcl hclFromRgb(int r, int g, int b);
// Reconstruction into 0x00RRGGBB.
Pixel rgbFromHcl(float h, float c, float y);
// B for modes 17-20 on the colour bytes of source s over destination d (0x00RRGGBB).
Pixel blendHcl(int mode, Pixel s, Pixel d);

}  // namespace tessel
