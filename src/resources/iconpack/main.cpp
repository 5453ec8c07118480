// Build step: draws the icon strip and writes it as a packed image record
// (u16 width, u16 height, u32 length, zlib stream of the bottom-up 24-bit
// rows) into a C++ source file. An optional second argument also writes the
// strip as a PPM picture for looking at it.
#include <zlib.h>

#include <cstdio>
#include <vector>

#include "draw.h"

namespace {

constexpr int kWidth = 288, kHeight = 77;

std::vector<uint8_t> pixelMemory(const iconpack::Canvas& c) {
  const int pitch = (kWidth * 3 + 3) & ~3;
  std::vector<uint8_t> mem(size_t(pitch) * kHeight, 0);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = mem.data() + size_t(kHeight - 1 - y) * size_t(pitch);
    for (int x = 0; x < kWidth; ++x) {
      uint32_t p = c.at(x, y);
      row[x * 3] = uint8_t(p);
      row[x * 3 + 1] = uint8_t(p >> 8);
      row[x * 3 + 2] = uint8_t(p >> 16);
    }
  }
  return mem;
}

bool writePpm(const iconpack::Canvas& c, const char* path) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint32_t p = c.at(x, y);
      uint8_t rgb[3] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
      std::fwrite(rgb, 1, 3, f);
    }
  }
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tessel_icon_pack output.cpp [preview.ppm]\n");
    return 1;
  }
  iconpack::Canvas canvas(kWidth, kHeight);
  iconpack::drawBarIcons(canvas);
  iconpack::drawToolIcons(canvas);
  iconpack::drawSmallIcons(canvas);
  std::vector<uint8_t> raw = pixelMemory(canvas);
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9) != Z_OK) return 1;
  packed.resize(packedSize);

  std::vector<uint8_t> record = {uint8_t(kWidth), uint8_t(kWidth >> 8), uint8_t(kHeight),
                                 uint8_t(kHeight >> 8)};
  for (int i = 0; i < 4; ++i) record.push_back(uint8_t(packed.size() >> (8 * i)));
  record.insert(record.end(), packed.begin(), packed.end());

  FILE* out = std::fopen(argv[1], "w");
  if (!out) return 1;
  std::fprintf(out, "// Made by tessel_icon_pack at build time.\n#include \"app/application.h\"\n\n");
  std::fprintf(out, "namespace tessel {\nnamespace {\nconst uint8_t kRecord[] = {");
  for (size_t i = 0; i < record.size(); ++i) {
    std::fprintf(out, "%s%u,", i % 20 == 0 ? "\n    " : "", record[i]);
  }
  std::fprintf(out, "\n};\n}  // namespace\n\n");
  std::fprintf(out, "std::span<const uint8_t> packedIconStrip() { return kRecord; }\n\n}  // namespace tessel\n");
  if (std::fclose(out) != 0) return 1;
  if (argc > 2 && !writePpm(canvas, argv[2])) return 1;
  return 0;
}
