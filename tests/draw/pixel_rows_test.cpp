// The finger's row loop against the per-pixel arithmetic, byte for byte, on
// rows of every length (the tails included) and pixels of every kind of alpha.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "draw/pixel_kernels.h"
#include "draw/pixel_rows.h"

namespace tessel {
namespace {

Pixel randomPixel(std::mt19937& rng) {
  Pixel p = Pixel(rng());
  switch (rng() % 4) {
    case 0: return p | 0xFF000000u;
    case 1: return p & 0x00FFFFFFu;
    default: return p;
  }
}

// Whether a channel of the mix lies so near a rounding step that a quotient
// off by a few units in the last place could round the other way.
bool nearStep(Pixel k, Pixel p, float fa) {
  float d = float(alphaOf(p)) * kInv255, e = float(alphaOf(k)) * kInv255;
  float area = d + (e - d) * fa;
  if (roundAddHalf(255.0f * area) == 0) return false;
  for (int shift = 0; shift < 24; shift += 8) {
    float carried = e * fa * float((k >> shift) & 0xFF);
    float v = (carried + d * (1.0f - fa) * float((p >> shift) & 0xFF)) / area;
    float slack = v * 0x1p-20f;
    if (roundAddHalf(v - slack) != roundAddHalf(v + slack)) return true;
  }
  return false;
}

TEST(PixelRows, SmudgeRowMatchesThePixelArithmetic) {
  std::mt19937 rng(77);
  int doubtful = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    int n = 1 + int(rng() % 40);
    float fa = float(rng() % 256) * kInv255;
    bool alphaMask = trial % 3 == 0;
    bool opaque = trial % 5 == 0;   // opaque over opaque divides by one
    std::vector<Pixel> p(n + 2), k(n + 2);
    for (int i = 0; i < n + 2; ++i) {
      p[i] = randomPixel(rng);
      k[i] = rng() % 6 == 0 ? p[i] : randomPixel(rng);
      if (opaque) p[i] |= 0xFF000000u, k[i] |= 0xFF000000u;
    }
    // The last two pixels lie past the row and must stay as they are.
    std::vector<Pixel> wantP = p, wantK = k;
    for (int i = 0; i < n; ++i) {
      doubtful += nearStep(wantK[i], wantP[i], fa);
      if (!(wantP[i] == wantK[i] && alphaOf(wantK[i]) > 0))
        smudgePixel(wantK[i], &wantP[i], fa, alphaMask);
    }
    smudgeRow(p.data(), k.data(), n, fa, alphaMask);
    ASSERT_EQ(p, wantP) << "trial " << trial << " length " << n;
    ASSERT_EQ(k, wantK) << "trial " << trial << " length " << n;
  }
  // The rows did reach quotients next to a rounding step.
  EXPECT_GT(doubtful, 0);
}

}  // namespace
}  // namespace tessel
