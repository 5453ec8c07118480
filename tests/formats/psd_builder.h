#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tessel::testing {

// Big-endian byte assembly for hand-made PSD files.
struct BeBytes {
  std::vector<uint8_t> b;
  BeBytes& u8(uint32_t v) { b.push_back(uint8_t(v)); return *this; }
  BeBytes& u16(uint32_t v) { return u8(v >> 8).u8(v); }
  BeBytes& u32(uint32_t v) { return u16(v >> 16).u16(v); }
  BeBytes& text(const std::string& s) { b.insert(b.end(), s.begin(), s.end()); return *this; }
  BeBytes& raw(const std::vector<uint8_t>& v) { b.insert(b.end(), v.begin(), v.end()); return *this; }
  size_t size() const { return b.size(); }
  void patch32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
  }
};

inline uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}
inline uint16_t be16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

struct PsdChannelDesc {
  int16_t id = 0;
  uint16_t compression = 0;
  std::vector<uint8_t> data;   // after the compression word (row counts included for RLE)
};

struct PsdLayerDesc {
  int32_t top = 0, left = 0, bottom = 0, right = 0;
  std::vector<PsdChannelDesc> channels;
  std::string key = "norm";
  uint8_t opacity = 255, flags = 0;
  std::string name = "L";
  bool extra = true;
  uint8_t clipping = 0;
  std::vector<uint8_t> maskData;     // layer mask data without its length
  std::vector<uint8_t> additional;   // additional information blocks, see psdBlock
};

// One additional information block: "8BIM", key, length, data.
inline std::vector<uint8_t> psdBlock(const std::string& key, const std::vector<uint8_t>& data) {
  BeBytes b;
  b.text("8BIM").text(key).u32(uint32_t(data.size())).raw(data);
  return b.b;
}

struct PsdFileDesc {
  uint16_t version = 1, channels = 3, depth = 8, mode = 3;
  uint32_t width = 2, height = 2;
  std::vector<PsdLayerDesc> layers;
  bool layerSection = true;
  // Merged image: compression word and the rest as given.
  std::vector<uint8_t> merged;
  std::vector<uint8_t> modeData;   // colour mode data
};

inline std::vector<uint8_t> buildPsd(const PsdFileDesc& s) {
  BeBytes f;
  f.text("8BPS").u16(s.version).u32(0).u16(0).u16(s.channels).u32(s.height).u32(s.width).u16(s.depth).u16(s.mode);
  f.u32(uint32_t(s.modeData.size())).raw(s.modeData).u32(0);   // colour mode data, image resources
  if (!s.layerSection || s.layers.empty()) {
    f.u32(0);
  } else {
    size_t section = f.size();
    f.u32(0).u32(0).u16(uint16_t(s.layers.size()));
    for (const PsdLayerDesc& l : s.layers) {
      f.u32(uint32_t(l.top)).u32(uint32_t(l.left)).u32(uint32_t(l.bottom)).u32(uint32_t(l.right));
      f.u16(uint16_t(l.channels.size()));
      for (const PsdChannelDesc& c : l.channels) f.u16(uint16_t(c.id)).u32(uint32_t(c.data.size() + 2));
      f.text("8BIM").text(l.key).u8(l.opacity).u8(l.clipping).u8(l.flags).u8(0);
      if (!l.extra) {
        f.u32(0);
        continue;
      }
      size_t padded = (l.name.size() + 4) & ~size_t(3);
      f.u32(uint32_t(8 + l.maskData.size() + padded + l.additional.size())).u32(uint32_t(l.maskData.size()));
      f.raw(l.maskData).u32(0).u8(uint32_t(l.name.size())).text(l.name);
      for (size_t i = l.name.size() + 1; i < padded; ++i) f.u8(0);
      f.raw(l.additional);
    }
    for (const PsdLayerDesc& l : s.layers)
      for (const PsdChannelDesc& c : l.channels) f.u16(c.compression).raw(c.data);
    uint32_t info = uint32_t(f.size() - section - 8);
    if (info & 1) f.u8(0), ++info;
    f.patch32(section, info + 4);
    f.patch32(section + 4, info);
  }
  f.raw(s.merged);
  return f.b;
}

}  // namespace tessel::testing
