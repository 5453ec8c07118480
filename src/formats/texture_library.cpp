#include "formats/texture_library.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "io/file.h"
#include "formats/image_loader.h"
#include "formats/zlib_stream.h"
#include "image/byte_order.h"

namespace tessel {

namespace {

// The largest block a library of 500 textures of 512 x 512 can need.
constexpr uint64_t kMaxLibraryBytes = uint64_t(kMaxTextures) * (4 + kMaxTextureSide * kMaxTextureSide);

}  // namespace

TextureLibrary::Texture TextureLibrary::at(int index) const {
  if (index < 0 || index >= count()) return {};
  const uint8_t* p = data_.get() + offsets_[size_t(index)];
  return {readLE16(p), readLE16(p + 2), p + 4};
}

void TextureLibrary::clear() {
  offsets_.clear();
  size_ = 0;
}

bool TextureLibrary::reserve(size_t needed) {
  if (needed <= capacity_) return true;
  // An existing block grows by 8192 bytes beyond what is needed.
  size_t capacity = data_ ? needed + kTextureGrowth : needed;
  std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[std::max<size_t>(capacity, 1)]);
  if (!grown) return false;
  if (size_) std::memcpy(grown.get(), data_.get(), size_);
  data_ = std::move(grown);
  capacity_ = capacity;
  return true;
}

bool TextureLibrary::index(size_t size, int count) {
  offsets_.clear();
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    if (size - at < 4) return false;
    int w = readLE16(data_.get() + at), h = readLE16(data_.get() + at + 2);
    if (w < 1 || h < 1 || w > kMaxTextureSide || h > kMaxTextureSide) return false;
    if (size - at - 4 < size_t(w) * size_t(h)) return false;
    offsets_.push_back(at);
    at += 4 + size_t(w) * size_t(h);
  }
  size_ = at;
  return true;
}

// Version 1 keeps width and height in single bytes: widen them in place.
bool TextureLibrary::convertVersion1(int count) {
  std::vector<size_t> starts;
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    if (size_ - at < 2) return false;
    size_t w = data_[at], h = data_[at + 1];
    if (w < 1 || h < 1 || size_ - at - 2 < w * h) return false;
    starts.push_back(at);
    at += 2 + w * h;
  }
  const size_t converted = at + size_t(count) * 2;
  std::unique_ptr<uint8_t[]> out(new (std::nothrow) uint8_t[std::max<size_t>(converted, 1)]);
  if (!out) return false;
  size_t o = 0;
  for (size_t s : starts) {
    size_t w = data_[s], h = data_[s + 1];
    uint8_t head[4] = {uint8_t(w), 0, uint8_t(h), 0};
    std::memcpy(out.get() + o, head, 4);
    std::memcpy(out.get() + o + 4, data_.get() + s + 2, w * h);
    o += 4 + w * h;
  }
  data_ = std::move(out);
  capacity_ = size_ = converted;
  return index(converted, count);
}

bool TextureLibrary::load(const std::string& path, bool markModified) {
  clear();
  File file;
  char magic[sizeof kTextureMagic];
  uint8_t version = 0;
  uint16_t count = 0;
  uint32_t size = 0, compressed = 0;
  if (!file.openRead(path) || !file.readAll(magic, sizeof magic) ||
      std::memcmp(magic, kTextureMagic, sizeof magic) != 0 || !file.readU8(version) ||
      (version != 1 && version != 2) || !file.readU16LE(count) || count > kMaxTextures ||
      !file.readU32LE(size) || !file.readU32LE(compressed) || size > kMaxLibraryBytes)
    return false;
  if (count != 0) {
    // Textures take bytes: a library that lists some in none is damaged.
    if (size == 0 || !reserve(size)) return false;
    std::memset(data_.get(), 0, size);
    size_ = size;
    bool ok = inflateFromFile(file, data_.get(), size, compressed) &&
              (version == 2 ? index(size, count) : convertVersion1(count));
    if (!ok) {
      clear();
      return false;
    }
  }
  modified_ = markModified || version == 1;
  return true;
}

bool TextureLibrary::save(const std::string& path, bool onlyIfModified) {
  if (onlyIfModified && !modified_) return true;
  bool ok = saveReplacing(path, [&](File& file) {
    if (!file.writeAll(kTextureMagic, sizeof kTextureMagic) || !file.writeU8(2) ||
        !file.writeU16LE(uint16_t(count())) || !file.writeU32LE(uint32_t(size_)))
      return false;
    int64_t field = file.position();
    if (field < 0 || !file.writeU32LE(0)) return false;
    if (count() == 0) return true;
    uint32_t packed = deflateToFile(file, data_.get(), size_, kTextureLevel, nullptr);
    return packed != 0 && file.seek(field) && file.writeU32LE(packed) && file.seekToEnd();
  });
  if (ok) modified_ = false;
  return ok;
}

bool TextureLibrary::addTexture(const Image32& image, int position) {
  if (count() >= kMaxTextures || !image.valid()) return false;
  const int w = std::min(image.width(), kMaxTextureSide), h = std::min(image.height(), kMaxTextureSide);
  const size_t bytes = 4 + size_t(w) * size_t(h);
  if (!reserve(size_ + bytes)) return false;
  if (position < 0 || position >= count()) position = count();
  const size_t at = position < count() ? offsets_[size_t(position)] : size_;
  std::memmove(data_.get() + at + bytes, data_.get() + at, size_ - at);
  uint8_t* p = data_.get() + at;
  writeLE16(p, uint16_t(w));
  writeLE16(p + 2, uint16_t(h));
  for (int y = 0; y < h; ++y) {
    const Pixel* src = image.row(y);
    for (int x = 0; x < w; ++x) p[4 + size_t(y) * size_t(w) + size_t(x)] = textureByte(src[x]);
  }
  size_ += bytes;
  modified_ = true;
  return index(size_, count() + 1);
}

bool TextureLibrary::addTexture(const std::string& path, int position) {
  if (count() >= kMaxTextures) return false;
  Image32 image;
  ImageReadInfo info;
  return loadImage(path, image, info) && addTexture(image, position);
}

void TextureLibrary::removeTexture(int index) {
  if (index < 0 || index >= count()) return;
  const Texture t = at(index);
  const size_t start = offsets_[size_t(index)];
  const size_t bytes = 4 + size_t(t.width) * size_t(t.height);
  std::memmove(data_.get() + start, data_.get() + start + bytes, size_ - start - bytes);
  size_ -= bytes;
  modified_ = true;
  this->index(size_, count() - 1);
}

}  // namespace tessel
