// Fixed strokes of every painting tool, pinned by checksums of the resulting
// layer. The checksums were taken once after looking at enlarged renders of
// each case; set TESSEL_GOLDEN_DUMP to a folder to write the raw RGBA layers
// (and print the checksums) again.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "stroke_fixture.h"

namespace tessel {
namespace {

constexpr int kSide = 80;

enum class Path { Wave, Loop };

struct GoldenCase {
  const char* name;
  int tool;
  int size;
  int alpha;
  Path path;
  uint64_t checksum;
  int maskMode = kMaskNone;
  int64_t word = -1;        // option word of the tool, -1 keeps the default
  bool texture = false;
  bool colourMask = false;
};

// Opaque stripes on the left, half-transparent top right, transparent bottom right.
void paintBackground(Image32& img) {
  static constexpr Pixel kStripes[4] = {0xFFE04030u, 0xFF30A0E0u, 0xFFF0D020u, 0xFF208040u};
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      img.set(x, y, x < kSide / 2 ? kStripes[(x / 8) % 4] : (y < kSide / 2 ? 0x806080A0u : kTransparent));
}

std::vector<StrokeSample> pathOf(Path p) {
  std::vector<StrokeSample> s;
  const double kPi = 3.14159265358979323846;
  if (p == Path::Wave) {
    for (int i = 0; i <= 30; ++i) {
      double t = i / 30.0;
      s.push_back({6 + 68 * t, 40 + 22 * std::sin(t * 2 * kPi * 1.2), float(0.1 + 0.9 * t)});
    }
  } else {
    // A figure of eight, crossing itself in the middle, at full pressure.
    for (int i = 0; i <= 40; ++i) {
      double t = i / 40.0 * 2 * kPi;
      s.push_back({40 + 30 * std::sin(t), 40 + 20 * std::sin(2 * t), 1.0f});
    }
  }
  s.push_back(s.back());
  return s;
}

void setWord(ToolEnv& env, int tool, uint32_t word) {
  switch (tool) {
    case kToolPencil: env.pencil = word; break;
    case kToolPen: env.pen = word; break;
    case kToolPen2: env.pen2 = word; break;
    case kToolBrush: env.brush = word; break;
    case kToolWatercolour: env.water = word; break;
    case kToolAirbrush: env.splay = word; break;
    case kToolErasePen: env.erasePen = word; break;
    case kToolEraseBrush: env.eraseBrush = word; break;
    case kToolDodge: env.dodge = word; break;
    case kToolBurn: env.burn = word; break;
    default: break;
  }
}

uint64_t checksum(const Image32& img) {
  uint64_t h = 1469598103934665603ull;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      Pixel p = img.at(x, y);
      for (int i = 0; i < 4; ++i) {
        h ^= (p >> (8 * i)) & 0xFF;
        h *= 1099511628211ull;
      }
    }
  return h;
}

void dump(const char* dir, const char* name, const Image32& img) {
  std::string path = std::string(dir) + "/" + name + ".raw";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      Pixel p = img.at(x, y);
      unsigned char rgba[4] = {redOf(p), greenOf(p), blueOf(p), alphaOf(p)};
      std::fwrite(rgba, 1, 4, f);
    }
  std::fclose(f);
}

uint64_t render(const GoldenCase& c, Image32* out = nullptr) {
  StrokeBench b(kSide, kSide, 2024);
  paintBackground(b.layer);
  b.draw.drawCol1 = 0x1040C0;
  b.maskMode = uint32_t(c.maskMode);
  b.tools.setSize(c.tool, c.size);
  b.tools.setAlpha(c.tool, c.alpha);
  if (c.word >= 0) setWord(b.tools.env, c.tool, uint32_t(c.word));
  if (c.texture) {
    Texture t;
    t.width = 5;
    t.height = 3;
    t.bytes = {255, 200, 0, 120, 255, 60, 255, 255, 30, 255, 0, 128, 255, 90, 255};
    b.textures.push_back(t);
    b.draw.textureOn = true;
  }
  if (c.colourMask) {
    b.draw.colMaskType = kColourMaskProtect;
    b.draw.colMaskCnt = 2;
    b.draw.maskCol[0] = 0x30A0E0;
    b.draw.maskCol[1] = 0x208040;
  }
  b.run(c.tool, pathOf(c.path));
  if (out) out->copyFrom(b.layer);
  return checksum(b.layer);
}

const GoldenCase kCases[] = {
    {"pencil_1", kToolPencil, 1, 255, Path::Wave,
     0x376ea1ac010c240aull},
    {"pencil_7", kToolPencil, 7, 160, Path::Loop,
     0x107e9faa898493a4ull},
    {"pencil_7_accumulate", kToolPencil, 7, 160, Path::Loop,
     0xc31efcc691bad6b3ull, kMaskNone, 0x8000},
    {"pencil_64_sparkle", kToolPencil, 64, 255, Path::Wave,
     0x171252afa2b7c19bull, kMaskNone, 9},
    {"pencil_7_mask1", kToolPencil, 7, 255, Path::Wave,
     0x421a1e7b7dc1263aull, kMaskTransparent},
    {"line_1", kToolLine, 1, 255, Path::Wave,
     0x376ea1ac010c240aull},
    {"line_1_loop", kToolLine, 1, 200, Path::Loop,
     0xb51574564be40100ull},
    {"pen_1", kToolPen, 1, 255, Path::Wave,
     0xbbed65640c5ca525ull},
    {"pen_7", kToolPen, 7, 255, Path::Wave,
     0xe7c41957dba4c96full},
    {"pen_64", kToolPen, 64, 255, Path::Wave,
     0x0ff803b3df9fb783ull},
    {"pen_7_curve", kToolPen, 7, 200, Path::Loop,
     0xdd657ddec8885ce7ull, kMaskNone, 0xF004},
    {"pen_7_plain", kToolPen, 7, 200, Path::Loop,
     0x5777a5a9917db712ull, kMaskNone, 0x0000},
    {"pen_7_soft_mask2", kToolPen, 7, 255, Path::Wave,
     0x58105f0b97e046e5ull, kMaskOpaque, 0xE804},
    {"pen_7_colourmask", kToolPen, 7, 255, Path::Wave,
     0xc9a43c1345a6e7baull, kMaskNone, -1, false, true},
    {"pen2_7", kToolPen2, 7, 255, Path::Wave,
     0xdd2ab161518b8f50ull, kMaskNone, 0x3232},
    {"pen2_64", kToolPen2, 64, 180, Path::Loop,
     0x7301c4fd80d91cdeull},
    {"brush_1", kToolBrush, 1, 255, Path::Wave,
     0x020844ff230844c2ull},
    {"brush_7", kToolBrush, 7, 255, Path::Wave,
     0xa9c6bfce1c80e21dull},
    {"brush_64", kToolBrush, 64, 255, Path::Wave,
     0xd022a4861bbc2b9aull},
    {"brush_7_mask1", kToolBrush, 7, 255, Path::Loop,
     0x3764573082df5df8ull, kMaskTransparent},
    {"brush_64_mask3", kToolBrush, 64, 255, Path::Wave,
     0x12791c194337c368ull, kMaskAlpha},
    {"brush_7_texture", kToolBrush, 7, 255, Path::Loop,
     0xb27c387ac970bec7ull, kMaskNone, -1, true},
    {"water_7", kToolWatercolour, 7, 200, Path::Wave,
     0xda1c43cd71e86201ull},
    {"water_64", kToolWatercolour, 64, 255, Path::Wave,
     0x4b512d5dd454b482ull},
    {"water_7_mask3", kToolWatercolour, 7, 255, Path::Loop,
     0xcd4f52e263f6410bull, kMaskAlpha, 0x31400},
    {"airbrush_7", kToolAirbrush, 7, 255, Path::Wave,
     0x25686af22c29eee9ull},
    {"airbrush_64", kToolAirbrush, 64, 200, Path::Wave,
     0xed23d9981d11c855ull},
    {"erasehard_1", kToolEraseHard, 1, 255, Path::Wave,
     0xc46574e8501366f2ull},
    {"erasehard_7", kToolEraseHard, 7, 128, Path::Loop,
     0xbe0915f16654573eull},
    {"erasehard_64", kToolEraseHard, 64, 255, Path::Wave,
     0x720b42c6d86487cbull},
    {"erasepen_7", kToolErasePen, 7, 255, Path::Wave,
     0xaf745f797910e045ull},
    {"erasepen_64_mask1", kToolErasePen, 64, 255, Path::Wave,
     0x47566aaa94039745ull, kMaskTransparent},
    {"erasebrush_7", kToolEraseBrush, 7, 255, Path::Loop,
     0x500063e7ea044cb9ull},
    {"erasebrush_64", kToolEraseBrush, 64, 128, Path::Wave,
     0xc2eebd1cffe1620bull},
    {"blur_7", kToolBlur, 7, 255, Path::Wave,
     0xad61609d9fac6327ull},
    {"blur_64", kToolBlur, 64, 64, Path::Wave,
     0xf46f9291445f477cull},
    {"blur_7_mask1", kToolBlur, 7, 200, Path::Loop,
     0x5e0dc316736d4e63ull, kMaskTransparent},
    {"finger_1", kToolFinger, 1, 200, Path::Wave,
     0xc41f9190a5c60cc9ull},
    {"finger_7", kToolFinger, 7, 200, Path::Wave,
     0xe420f8057803544cull},
    {"finger_64", kToolFinger, 64, 128, Path::Wave,
     0xfc13725cf09e2ec3ull},
    {"finger_7_mask3", kToolFinger, 7, 255, Path::Loop,
     0x4daeaed9601ac783ull, kMaskAlpha},
    {"dodge_7", kToolDodge, 7, 255, Path::Wave,
     0x031640cdb87c5ebfull},
    {"dodge_64", kToolDodge, 64, 128, Path::Loop,
     0x2cb8fdb92697c7d6ull},
    {"burn_7", kToolBurn, 7, 255, Path::Wave,
     0xc64f46adece941acull},
    {"burn_64", kToolBurn, 64, 128, Path::Loop,
     0xd028eded525a3601ull},
    {"burn_7_texture", kToolBurn, 7, 255, Path::Wave,
     0x70af1d6f11355cf3ull, kMaskNone, -1, true},
};

TEST(GoldenStrokeTest, EveryCaseRendersAsRecorded) {
  const char* dir = std::getenv("TESSEL_GOLDEN_DUMP");
  for (const GoldenCase& c : kCases) {
    Image32 img;
    ASSERT_TRUE(img.create(kSide, kSide));
    uint64_t sum = render(c, &img);
    if (dir) {
      dump(dir, c.name, img);
      std::printf("    {\"%s\", 0x%016llxull},\n", c.name, (unsigned long long)sum);
      continue;
    }
    EXPECT_EQ(sum, c.checksum) << c.name;
  }
}

TEST(GoldenStrokeTest, RenderingIsRepeatable) {
  for (const GoldenCase& c : kCases) EXPECT_EQ(render(c), render(c)) << c.name;
}

}  // namespace
}  // namespace tessel
