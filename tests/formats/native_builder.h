#pragma once
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tessel::testing {

// Builds native files field by field, so tests can write what the writer never would.
struct NativeLayerSpec {
  std::string name = "L";
  uint8_t blend = 0, opacity = 128, flags = 1;
  std::vector<uint32_t> pixels;   // width * height, memory order (bottom row first)
  std::vector<uint8_t> stream;    // used instead of compressing pixels when not empty
  int sizeDelta = 0;              // added to the compressed size field
};

struct NativeFileLayout {
  std::string magic = "TSLDATA";
  uint8_t version = 0;
  uint32_t headerBody = 10;
  uint16_t width = 4, height = 3, nameCounter = 0, current = 0;
  int layerCount = -1;   // -1: layers.size()
  uint16_t previewW = 1, previewH = 1;
  int64_t previewBytes = -1;   // -1: previewW * previewH * 4
  uint32_t recordHeader = 35;
  std::vector<NativeLayerSpec> layers;   // bottom first
};

class Bytes {
 public:
  void u8(uint8_t v) { b.push_back(v); }
  void u16(uint16_t v) {
    u8(uint8_t(v));
    u8(uint8_t(v >> 8));
  }
  void u32(uint32_t v) {
    u16(uint16_t(v));
    u16(uint16_t(v >> 16));
  }
  void raw(const void* p, size_t n) {
    auto* c = static_cast<const uint8_t*>(p);
    b.insert(b.end(), c, c + n);
  }
  std::vector<uint8_t> b;
};

inline std::vector<uint8_t> zlibCompress(const void* data, size_t n) {
  uLongf size = compressBound(uLong(n));
  std::vector<uint8_t> out(size);
  compress2(out.data(), &size, static_cast<const Bytef*>(data), uLong(n), 6);
  out.resize(size);
  return out;
}

inline std::vector<uint8_t> buildNative(const NativeFileLayout& s) {
  Bytes out;
  out.raw(s.magic.data(), 7);
  out.u8(s.version);
  out.u32(s.headerBody);
  out.u16(s.width);
  out.u16(s.height);
  out.u16(uint16_t(s.layerCount < 0 ? int(s.layers.size()) : s.layerCount));
  out.u16(s.nameCounter);
  out.u16(s.current);
  for (uint32_t i = 10; i < s.headerBody; ++i) out.u8(0xCC);
  out.u16(s.previewW);
  out.u16(s.previewH);
  uint32_t previewBytes = uint32_t(s.previewBytes < 0 ? s.previewW * s.previewH * 4 : s.previewBytes);
  out.u32(previewBytes);
  for (uint32_t i = 0; i < previewBytes; ++i) out.u8(uint8_t(i));
  out.u32(s.recordHeader);
  for (const NativeLayerSpec& layer : s.layers) {
    char name[32] = {};
    std::memcpy(name, layer.name.data(), std::min<size_t>(layer.name.size(), 32));
    out.raw(name, 32);
    out.u8(layer.blend);
    out.u8(layer.opacity);
    out.u8(layer.flags);
    for (uint32_t i = 35; i < s.recordHeader; ++i) out.u8(0xDD);
    std::vector<uint8_t> stream = layer.stream;
    if (stream.empty()) {
      std::vector<uint32_t> pixels = layer.pixels;
      if (pixels.empty()) pixels.assign(size_t(s.width) * s.height, 0x00FFFFFFu);
      stream = zlibCompress(pixels.data(), pixels.size() * 4);
    }
    out.u32(uint32_t(int64_t(stream.size()) + layer.sizeDelta));
    out.raw(stream.data(), stream.size());
  }
  return out.b;
}

}  // namespace tessel::testing
