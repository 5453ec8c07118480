#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/image32.h"

namespace tessel {

constexpr int kMaxTextures = 500;
constexpr int kMaxTextureSide = 512;
constexpr size_t kTextureGrowth = 8192;
constexpr int kTextureLevel = 4;
constexpr char kTextureMagic[9] = {'T', 'S', 'L', 'T', 'E', 'X', 'L', 'I', 'B'};

// Inverted luminance: black 255, white 0.
constexpr uint8_t textureByte(Pixel p) {
  return uint8_t(255 - ((77 * redOf(p) + 150 * greenOf(p) + 29 * blueOf(p)) >> 8));
}

// The brushes' grey textures, kept as one block: per texture a 16-bit width,
// a 16-bit height and width x height bytes, rows top first.
class TextureLibrary {
 public:
  struct Texture {
    int width = 0, height = 0;
    const uint8_t* pixels = nullptr;
  };

  int count() const { return int(offsets_.size()); }
  Texture at(int index) const;   // empty outside
  bool modified() const { return modified_; }
  void setModified(bool on) { modified_ = on; }
  size_t dataSize() const { return size_; }
  const uint8_t* data() const { return data_.get(); }

  // "texture.tst" or a user's library; versions 1 and 2 (version 1 is
  // converted and marked modified). Any failure leaves the library empty.
  bool load(const std::string& path, bool markModified);
  // Always as version 2. With onlyIfModified an unmodified library is not written.
  bool save(const std::string& path, bool onlyIfModified);
  // The image's top-left 512 x 512 at most, before position (at the end when
  // position is -1 or not below the count). Refused at 500 textures.
  bool addTexture(const Image32& image, int position);
  // The same from an image file through the generic image loader.
  bool addTexture(const std::string& path, int position);
  void removeTexture(int index);
  void clear();

 private:
  bool reserve(size_t needed);
  // Rebuilds the offsets; false when the block does not hold count textures.
  bool index(size_t size, int count);
  bool convertVersion1(int count);

  std::unique_ptr<uint8_t[]> data_;
  size_t size_ = 0, capacity_ = 0;
  std::vector<size_t> offsets_;
  bool modified_ = false;
};

}  // namespace tessel
