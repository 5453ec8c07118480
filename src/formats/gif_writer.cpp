#include "formats/gif_writer.h"

#include <cstring>
#include <memory>
#include <new>

#include "io/file.h"
#include "formats/gif_quantiser.h"
#include "formats/palette_index.h"

namespace tessel {

namespace {

void append(std::vector<uint8_t>& out, const uint8_t* data, size_t count) {
  for (size_t i = 0; i < count; ++i) out.push_back(data[i]);
}

// Codes packed least significant bit first into sub-blocks of 255 bytes.
class CodePacker {
 public:
  explicit CodePacker(std::vector<uint8_t>& out) : out_(out) {}
  void put(uint32_t code, int width) {
    acc_ |= code << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      byte(uint8_t(acc_));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  void finish() {
    if (bits_ > 0) byte(uint8_t(acc_));
    if (used_) flushBlock();
    out_.push_back(0);
  }

 private:
  void byte(uint8_t b) {
    block_[used_++] = b;
    if (used_ == 255) flushBlock();
  }
  void flushBlock() {
    out_.push_back(uint8_t(used_));
    append(out_, block_, size_t(used_));
    used_ = 0;
  }
  std::vector<uint8_t>& out_;
  uint8_t block_[255];
  int used_ = 0;
  uint32_t acc_ = 0;
  int bits_ = 0;
};

constexpr int kTableSize = 8192;

}  // namespace

bool lzwEncode(const uint8_t* indices, size_t count, int minimumCodeSize, std::vector<uint8_t>& out) {
  if (count == 0 || minimumCodeSize < 2 || minimumCodeSize > 8) return false;
  std::unique_ptr<uint32_t[]> table(new (std::nothrow) uint32_t[kTableSize]);
  if (!table) return false;
  const uint32_t clear = 1u << minimumCodeSize, end = clear + 1;
  CodePacker packer(out);
  int width = minimumCodeSize + 1;
  uint32_t next = clear + 2;
  std::memset(table.get(), 0, kTableSize * sizeof(uint32_t));
  packer.put(clear, width);
  uint32_t prefix = indices[0];
  for (size_t i = 1; i < count; ++i) {
    const uint32_t pixel = indices[i];
    const uint32_t key = (prefix << minimumCodeSize) + pixel;
    uint32_t slot = ((key >> 12) ^ key) & (kTableSize - 1);
    uint32_t found = 0;
    // Entries are key * 4096 + code; codes start above the end code, so 0 is empty.
    while (table[slot]) {
      if (table[slot] >> 12 == key) {
        found = table[slot] & 4095;
        break;
      }
      slot = (slot + 1) & (kTableSize - 1);
    }
    if (found) {
      prefix = found;
      continue;
    }
    packer.put(prefix, width);
    if (next >= (1u << width)) ++width;
    if (next == 4095) {
      packer.put(clear, width);
      std::memset(table.get(), 0, kTableSize * sizeof(uint32_t));
      next = clear + 2;
      width = minimumCodeSize + 1;
    } else {
      table[slot] = key << 12 | next++;
    }
    prefix = pixel;
  }
  packer.put(prefix, width);
  // A decoder has counted one more code by now and may read the end code
  // one bit wider.
  if (next >= (1u << width) && width < 12) ++width;
  packer.put(end, width);
  packer.finish();
  return true;
}

namespace {

// Palette and index image, top row first; quantised when there are more
// than 256 colours.
bool buildIndices(const Image32& image, std::vector<uint32_t>& palette, std::unique_ptr<uint8_t[]>& indices) {
  const int w = image.width(), h = image.height();
  indices.reset(new (std::nothrow) uint8_t[size_t(w) * size_t(h)]);
  if (!indices) return false;
  if (collectPalette(image, palette)) {
    const ColourIndex index(palette);
    for (int y = 0; y < h; ++y) {
      const Pixel* p = image.row(y);
      for (int x = 0; x < w; ++x) indices[size_t(y) * w + x] = index(p[x]);
    }
    return true;
  }
  std::unique_ptr<ColourQuantiser> quantiser(new (std::nothrow) ColourQuantiser);
  if (!quantiser || !quantiser->build(image)) return false;
  // The reduced picture's palette, collected in memory order as for any other
  // picture; representatives that round to the same colour share an entry.
  palette.clear();
  const Pixel* p = reinterpret_cast<const Pixel*>(image.bits());
  const size_t n = size_t(w) * size_t(h);
  int slotOf[256];
  for (int& s : slotOf) s = -1;
  for (size_t i = 0; i < n; ++i) {
    const int r = quantiser->indexOf(p[i]);
    if (slotOf[r] >= 0) continue;
    const uint32_t c = quantiser->colour(r);
    size_t e = 0;
    while (e < palette.size() && palette[e] != c) ++e;
    if (e == palette.size()) palette.push_back(c);
    slotOf[r] = int(e);
  }
  for (int y = 0; y < h; ++y) {
    const Pixel* row = image.row(y);
    for (int x = 0; x < w; ++x) indices[size_t(y) * w + x] = uint8_t(slotOf[quantiser->indexOf(row[x])]);
  }
  return true;
}

bool writeGifTo(File& file, const Image32& image, const std::vector<uint32_t>& palette, const uint8_t* indices,
                int32_t transparentColour) {
  const int colours = int(palette.size());
  int b = 1;
  while (b < 8 && (1 << b) < colours) ++b;
  std::vector<uint8_t> out;
  const uint16_t w = uint16_t(image.width()), h = uint16_t(image.height());
  const uint8_t screen[13] = {'G', 'I', 'F', '8', '9', 'a', uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8),
                              uint8_t(0x80 | (b - 1) << 4 | (b - 1)), 0, 0};
  append(out, screen, 13);
  for (int i = 0; i < (1 << b); ++i) {
    const uint32_t c = i < colours ? palette[size_t(i)] : 0;
    out.push_back(uint8_t(c >> 16));
    out.push_back(uint8_t(c >> 8));
    out.push_back(uint8_t(c));
  }
  if (transparentColour != -1) {
    const uint32_t key = swapRedBlue(uint32_t(transparentColour)) & 0x00FFFFFFu;
    for (int i = 0; i < colours; ++i)
      if (palette[size_t(i)] == key) {
        const uint8_t gce[8] = {0x21, 0xF9, 4, 0x01, 0, 0, uint8_t(i), 0};
        append(out, gce, 8);
        break;
      }
  }
  const uint8_t descriptor[10] = {0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0};
  append(out, descriptor, 10);
  const int minimum = b < 2 ? 2 : b;
  out.push_back(uint8_t(minimum));
  if (!lzwEncode(indices, size_t(w) * h, minimum, out)) return false;
  out.push_back(';');
  return file.writeAll(out.data(), out.size());
}

}  // namespace

bool writeGif(const Image32& image, const std::string& path, int32_t transparentColour) {
  if (!image.valid() || image.width() > 65535 || image.height() > 65535) return false;
  std::vector<uint32_t> palette;
  std::unique_ptr<uint8_t[]> indices;
  if (!buildIndices(image, palette, indices)) return false;
  return saveReplacing(path,
                       [&](File& file) { return writeGifTo(file, image, palette, indices.get(), transparentColour); });
}

}  // namespace tessel
