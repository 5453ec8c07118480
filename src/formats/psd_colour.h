#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/pixel.h"

namespace tessel {

enum PsdColourMode {
  kPsdBitmap = 0,
  kPsdGreyscale = 1,
  kPsdIndexed = 2,
  kPsdRgb = 3,
  kPsdCmyk = 4,
  kPsdMultichannel = 7,
  kPsdDuotone = 8,
  kPsdLab = 9,
};

// Turns the colour channels of a PSD's colour mode into RGB: grey, duotone
// (its grey channel), bitmap and indexed directly; CMYK through the embedded
// ICC profile and Lab through the D50 Lab profile, both to sRGB with Little CMS.
class PsdColour {
 public:
  PsdColour() = default;
  PsdColour(const PsdColour&) = delete;
  PsdColour& operator=(const PsdColour&) = delete;
  ~PsdColour() = default;

  // False when the mode and depth cannot be opened; refusal then names why.
  bool init(int mode, int depth, const std::vector<uint8_t>& modeData, const std::vector<uint8_t>& iccProfile,
            std::string& refusal);
  int mode() const { return mode_; }
  // Colour channels: 1, 3 or 4.
  int channels() const { return channels_; }
  // n pixels from the colour planes (each at its first sample) into the
  // colour bytes of out; alpha bytes are left.
  void convert(const uint8_t* const* planes, size_t n, Pixel* out) const;

 private:
  int mode_ = kPsdRgb;
  int channels_ = 3;
  uint8_t palette_[768] = {};
  std::shared_ptr<void> transform_;   // cmsHTRANSFORM, shared with later reads of the same profile
};

// The user's name of a colour mode, for the refusal message.
const char* psdColourModeName(int mode);

}  // namespace tessel
