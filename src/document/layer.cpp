#include "document/layer.h"

#include <iconv.h>

#include <cstring>

namespace tessel {

void Layer::setNameBytes(const char* text) {
  std::memset(name, 0, sizeof name);
  if (text) std::strncpy(name, text, kLayerNameBytes - 1);
}

void Layer::copyAttributesFrom(const Layer& other) {
  std::memcpy(name, other.name, sizeof name);
  blendMode = other.blendMode;
  opacity = other.opacity;
  maskMode = other.maskMode;
  flags = other.flags;
}

Image32& Layer::image() {
  // Tiles are dropped only once the flat copy exists: a failed unpark loses nothing.
  if (unpark() && tilesCurrent_) {
    tilesCurrent_ = false;
    tiles_.clear();
  }
  return flat_;
}

const Image32& Layer::image() const {
  unpark();
  return flat_;
}

bool Layer::unpark() const {
  if (flat_.valid() || !tiles_.valid()) return flat_.valid();
  return tiles_.materialize(flat_);
}

bool Layer::park() {
  if (!flat_.valid()) return true;
  if (!tilesCurrent_) {
    TiledImage tiles;
    if (!tiles.assign(flat_, &tiles_)) return false;
    tiles_ = std::move(tiles);
    tilesCurrent_ = true;
  }
  flat_.destroy();
  return true;
}

bool Layer::parkFrom(const Image32& pixels, std::span<const ByteRange> transparent) {
  TiledImage tiles;
  if (!tiles.assign(pixels, transparent)) return false;
  flat_.destroy();
  tiles_ = std::move(tiles);
  tilesCurrent_ = true;
  return true;
}

void Layer::adoptTiles(TiledImage&& tiles) {
  flat_.destroy();
  tiles_ = std::move(tiles);
  tilesCurrent_ = tiles_.valid();
}

bool Layer::resetTransparent(int width, int height) {
  flat_.destroy();
  tilesCurrent_ = tiles_.reset(width, height);
  return tilesCurrent_;
}

bool Layer::copyPixelsFrom(const Layer& other) {
  if (&other == this) return true;
  if (other.tilesCurrent_) {
    flat_.destroy();
    tiles_ = other.tiles_;
    tilesCurrent_ = true;
    return true;
  }
  tiles_.clear();
  tilesCurrent_ = false;
  if (!flat_.create(other.flat_.width(), other.flat_.height())) return false;
  flat_.copyFrom(other.flat_);
  return true;
}

namespace {

// Converts with iconv one character at a time where a sequence is bad, so a
// broken byte costs one '?' and never the rest of the name.
std::string convert(const char* to, const char* from, const std::string& in) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string buffer(in.size() * 4 + 8, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buffer.data();
    size_t dstLeft = buffer.size();
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer.data(), size_t(dst - buffer.data()));
    if (r == size_t(-1)) {
      if (errno == E2BIG) continue;
      // Invalid or incomplete sequence: skip one byte and mark it.
      out.push_back('?');
      ++src;
      --srcLeft;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string layerNameToUtf8(const char* gbk) {
  std::string raw(gbk, strnlen(gbk, kLayerNameBytes));
  return convert("UTF-8", "GBK", raw);
}

void layerNameFromUtf8(const std::string& utf8, char out[kLayerNameBytes]) {
  std::string gbk = convert("GBK", "UTF-8", utf8);
  std::memset(out, 0, kLayerNameBytes);
  size_t n = 0;
  while (n < gbk.size()) {
    // A byte of 0x81 or more leads a two-byte character.
    size_t len = (uint8_t(gbk[n]) >= 0x81 && n + 1 < gbk.size()) ? 2 : 1;
    if (n + len > size_t(kLayerNameBytes - 1)) break;
    if (gbk[n] == '\0') break;
    n += len;
  }
  std::memcpy(out, gbk.data(), n);
}

}  // namespace tessel
