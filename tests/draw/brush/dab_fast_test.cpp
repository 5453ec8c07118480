// The fast dab path against the plain per-pixel one: the same random strokes
// through both must leave every byte of the layer, the stroke buffer and the
// backup the same, and return the same rectangles.
#include <gtest/gtest.h>

#include <random>

#include "draw/pixel/pixel_kernels.h"
#include "stroke_fixture.h"

namespace tessel {
namespace {

struct RandomCase {
  int tool, size, alpha, w, h;
  uint32_t maskMode, colourMask, word;
  bool texture, roundPoints;
  std::vector<StrokeSample> samples;
};

constexpr Pixel kMaskColours[2] = {0x30A0E0u, 0x208040u};

// Flat patches (where the finger's carry meets its own colour), mask colours,
// noise of every alpha and fully transparent areas.
void fillLayer(Image32& img, std::mt19937& rng) {
  Pixel patch[4] = {0xFF000000u | kMaskColours[0], 0xFF000000u | kMaskColours[1], Pixel(rng()),
                    kTransparent};
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      int zone = ((x / 13) + (y / 11)) % 6;
      Pixel p = zone < 4 ? patch[zone] : Pixel(rng());
      if (zone == 5 && (p >> 24) < 64) p &= 0x00FFFFFFu;   // transparent with colour bits
      img.set(x, y, p);
    }
}

RandomCase makeCase(std::mt19937& rng) {
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  RandomCase c;
  c.tool = pick(kToolPencil, kToolBurn);
  int sizeKind = pick(0, 3);
  c.size = sizeKind == 0 ? pick(1, 8) : sizeKind == 3 ? pick(90, 100) : pick(1, 100);
  c.alpha = pick(0, 3) == 0 ? 255 : pick(1, 255);
  c.w = pick(20, 130);
  c.h = pick(20, 130);
  c.maskMode = uint32_t(pick(0, 7) < 4 ? 0 : pick(1, 3));
  c.colourMask = uint32_t(pick(0, 5) < 4 ? 0 : pick(1, 2));
  c.word = uint32_t(rng()) & 0x0003FFFFu;
  c.texture = pick(0, 4) == 0;
  c.roundPoints = pick(0, 4) == 0;
  // A walk that starts anywhere near the canvas and may leave it, pressure ramping.
  bool finger = c.tool == kToolFinger;
  int steps = finger && c.size > 40 ? pick(2, 3) : pick(2, 6);
  double x = pick(-20, c.w + 20), y = pick(-20, c.h + 20);
  float p = float(pick(0, 100)) / 100.0f, dp = float(pick(-30, 30)) / 100.0f;
  for (int i = 0; i <= steps; ++i) {
    c.samples.push_back({x, y, std::clamp(p, 0.0f, 1.0f)});
    double reach = finger && c.size > 40 ? 4.0 : 14.0;
    x += std::uniform_real_distribution<double>(-reach, reach)(rng);
    y += std::uniform_real_distribution<double>(-reach, reach)(rng);
    p += dp;
  }
  return c;
}

struct Outcome {
  Image32 layer, buffer, backup;
  std::vector<Rect> rects;
};

Outcome runCase(const RandomCase& c, bool fast, uint32_t seed) {
  StrokeBench b(c.w, c.h, seed);
  b.engine.setFastPath(fast);
  std::mt19937 content(seed);
  fillLayer(b.layer, content);
  fillLayer(b.buffer, content);
  b.draw.drawCol1 = 0x1040C0;
  b.maskMode = c.maskMode;
  b.tools.setSize(c.tool, c.size);
  b.tools.setAlpha(c.tool, c.alpha);
  ToolEnv& env = b.tools.env;
  for (uint32_t* w : {&env.pencil, &env.pen, &env.pen2, &env.brush, &env.water, &env.splay,
                      &env.erasePen, &env.eraseBrush, &env.dodge, &env.burn})
    *w = c.word;
  if (c.texture) {
    Texture t;
    t.width = 7;
    t.height = 5;
    for (int i = 0; i < 35; ++i) t.bytes.push_back(uint8_t(i * 53 % 256));
    b.textures.push_back(t);
    b.draw.textureOn = true;
  }
  b.draw.colMaskType = c.colourMask;
  b.draw.colMaskCnt = 2;
  b.draw.maskCol[0] = kMaskColours[0];
  b.draw.maskCol[1] = kMaskColours[1];

  Outcome out;
  b.draw.toolNo = c.tool;
  b.engine.refreshContext(b.layer, b.maskMode, b.draw, b.tools, &b.textures);
  Stroke stroke(b.engine);
  Rect changed;
  EXPECT_TRUE(stroke.begin(b.target(), c.tool, b.tools, c.samples.front(), changed, c.roundPoints));
  out.rects.push_back(changed);
  for (size_t i = 1; i + 1 < c.samples.size(); ++i) out.rects.push_back(stroke.move(c.samples[i]));
  Stroke::End e = stroke.end(c.samples.back());
  out.rects.push_back(e.changed);
  out.rects.push_back(e.undo);
  EXPECT_TRUE(out.layer.create(c.w, c.h) && out.buffer.create(c.w, c.h) &&
              out.backup.create(c.w, c.h));
  out.layer.copyFrom(b.layer);
  out.buffer.copyFrom(b.buffer);
  // Parts the stroke never reached are not cleared: nothing reads them.
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      if (!b.clears.done(x, y)) out.buffer.row(y)[x] = kTransparent;
      if (!b.bands.done(x, y)) out.backup.row(y)[x] = kTransparent;
    }
  out.backup.copyFrom(b.backup);
  return out;
}

TEST(DabFastPath, RandomStrokesWriteTheSameBytes) {
  std::mt19937 rng(20261208);
  for (int i = 0; i < 300; ++i) {
    RandomCase c = makeCase(rng);
    uint32_t seed = uint32_t(rng());
    Outcome fast = runCase(c, true, seed), plain = runCase(c, false, seed);
    SCOPED_TRACE("case " + std::to_string(i) + " tool " + std::to_string(c.tool) + " size " +
                 std::to_string(c.size) + " mask " + std::to_string(c.maskMode) + " colour mask " +
                 std::to_string(c.colourMask) + " texture " + std::to_string(c.texture));
    ASSERT_TRUE(sameImage(fast.layer, plain.layer));
    ASSERT_TRUE(sameImage(fast.buffer, plain.buffer));
    ASSERT_TRUE(sameImage(fast.backup, plain.backup));
    ASSERT_EQ(fast.rects.size(), plain.rects.size());
    for (size_t k = 0; k < fast.rects.size(); ++k) EXPECT_EQ(fast.rects[k], plain.rects[k]);
  }
}

// The fast commit, shortcuts included (an empty buffer pixel gives the backup, a
// full one itself), for every backup alpha and channel value.
TEST(DabFastPath, CommitShortcutsMatchTheArithmetic) {
  Image32 buffer, backup, a, b;
  ASSERT_TRUE(buffer.create(256, 256) && backup.create(256, 256) && a.create(256, 256) &&
              b.create(256, 256));
  std::mt19937 rng(5);
  // 256: a random alpha per pixel.
  for (uint32_t bufAlpha : {0u, 255u, 1u, 128u, 256u}) {
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        Pixel c = Pixel(y) | Pixel(255 - y) << 8 | Pixel(y ^ 0x5A) << 16;
        backup.set(x, y, c | Pixel(x) << 24);
        Pixel a = bufAlpha == 256 ? Pixel(rng()) & 0xFF000000u : bufAlpha << 24;
        buffer.set(x, y, (Pixel(rng()) & 0xFFFFFFu) | a);
      }
    for (uint32_t mode : {uint32_t(kMaskNone), uint32_t(kMaskAlpha)}) {
      a.fill(0x12345678u);
      b.fill(0x12345678u);
      commitOver(a, buffer, backup, {0, 0, 256, 256}, mode);
      commitOverFast(b, buffer, backup, {0, 0, 256, 256}, mode);
      EXPECT_TRUE(sameImage(a, b)) << "buffer alpha " << bufAlpha << " mode " << mode;
    }
  }
}

// The finger skips a carried pixel equal to the one under it: the mix leaves
// such a pixel exactly as it was, for every alpha, strength and channel.
TEST(DabFastPath, SmudgeOfEqualPixelsChangesNothing) {
  int changed = 0;
  for (int alpha = 1; alpha < 256; ++alpha)
    for (int strength = 0; strength < 256; ++strength)
      for (int c = 0; c < 86; ++c) {
        // The three channels between them take every value.
        Pixel q = Pixel(alpha) << 24 | Pixel(c) << 16 | Pixel(c + 86) << 8 | Pixel(c + 171);
        for (bool alphaMask : {false, true}) {
          Pixel k = q, p = q;
          smudgePixel(k, &p, float(strength) * kInv255, alphaMask);
          changed += p != q || k != q;
        }
      }
  EXPECT_EQ(changed, 0);
}

}  // namespace
}  // namespace tessel
