#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessel {

enum class DecodeStatus { kOk, kFailed, kTooLarge };

// Pixels as 0xAARRGGBB words, top row first, no padding.
struct DecodedImage {
  int width = 0, height = 0;
  std::unique_ptr<uint32_t[]> pixels;
};

// The JPEG and GIF decoders the platform provides. The formats stay below the
// platform: the program hands its decoders down with handDownPictureDecoders.
class PictureDecoders {
 public:
  virtual ~PictureDecoders() = default;
  // Sides above maxSide are refused before any pixel memory is taken.
  virtual DecodeStatus jpeg(const uint8_t* data, size_t size, int maxSide, DecodedImage& out) const = 0;
  // Scaled down in the decoder as far as the longer side stays at least minSide.
  virtual DecodeStatus jpegReduced(const uint8_t* data, size_t size, int maxSide, int minSide,
                                   DecodedImage& out) const = 0;
  virtual DecodeStatus gif(const uint8_t* data, size_t size, int maxSide, DecodedImage& out) const = 0;
};

// Null takes them away again: JPEG and GIF then fail to read.
void handDownPictureDecoders(const PictureDecoders* decoders);
const PictureDecoders* pictureDecoders();

}  // namespace tessel
