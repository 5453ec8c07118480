#pragma once
#include <cstdint>
#include <vector>

namespace tessel {

// Channel triples; each channel 0 … 255.
struct Rgb {
  int r = 0, g = 0, b = 0;
  constexpr bool operator==(const Rgb&) const = default;
};

// Integer HSV: H 0 … 359, S and V 0 … 255. Percentage HSV: S and V 0 … 100.
struct Hsv {
  int h = 0, s = 0, v = 0;
  constexpr bool operator==(const Hsv&) const = default;
};

// HLS: H 0 … 359, L and S 0 … 100.
struct Hls {
  int h = 0, l = 0, s = 0;
  constexpr bool operator==(const Hls&) const = default;
};

// Packed colour: blue in bits 0–7, green 8–15, red 16–23.
constexpr uint32_t packRgb(const Rgb& c) {
  return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | uint32_t(c.b);
}
constexpr Rgb unpackRgb(uint32_t c) {
  return {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
}

// The integer model the pixel filters and the colour sliders use.
Hsv rgbToHsv(const Rgb& c);
Rgb hsvToRgb(const Hsv& c);

// Floating-point models of the HLS sliders and the swatch grids.
Rgb hsvPercentToRgb(const Hsv& c);
Hls rgbToHls(const Rgb& c);
Rgb hlsToRgb(const Hls& c);

// Swatch grids of the extended palette, row by row, as packed colours.
constexpr int kHlsSwatchRows = 15, kHlsSwatchColumns = 2;
constexpr int kHsvSwatchRows = 12, kHsvSwatchColumns = 13;
std::vector<uint32_t> hlsSwatches();        // "HLS (L+S)"
std::vector<uint32_t> hsvVividSwatches();   // "HSV (鲜)"
std::vector<uint32_t> hsvPaleSwatches();    // "HSV (淡)"

}  // namespace tessel
