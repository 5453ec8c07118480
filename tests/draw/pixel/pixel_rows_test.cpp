// The finger's row loop against the per-pixel arithmetic, byte for byte, on
// rows of every length (the tails included) and pixels of every kind of alpha.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "draw/pixel/pixel_kernels.h"
#include "draw/pixel/pixel_rows.h"

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

// smudgeRow against smudgePixel on the first n of p and k; the pixels past n
// must stay as they are.
void expectRowMatches(std::vector<Pixel> p, std::vector<Pixel> k, int n, float fa, bool alphaMask) {
  std::vector<Pixel> wantP = p, wantK = k;
  for (int i = 0; i < n; ++i)
    if (!(wantP[i] == wantK[i] && alphaOf(wantK[i]) > 0)) smudgePixel(wantK[i], &wantP[i], fa, alphaMask);
  smudgeRow(p.data(), k.data(), n, fa, alphaMask);
  ASSERT_EQ(p, wantP) << "length " << n << " mask " << alphaMask;
  ASSERT_EQ(k, wantK) << "length " << n << " mask " << alphaMask;
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

// Rows mostly without alpha on either side (colour bits left in some), with
// opaque pixels among them: the runs with nothing to mix and the opaque mix
// beside pixels whose colour is thrown away.
TEST(PixelRows, SmudgeRowOverEmptyAndOpaqueRuns) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 6000; ++trial) {
    int n = 1 + int(rng() % 40);
    float fa = float(rng() % 256) * kInv255;
    std::vector<Pixel> p(n + 2), k(n + 2);
    // Out of 16, how many pixels of each run of eight have no alpha.
    int empty = 16;
    auto pixel = [&rng, &empty]() {
      int kind = int(rng() % 16);
      Pixel colour = Pixel(rng()) & 0x00FFFFFFu;
      if (kind < empty) return kind % 2 ? kTransparent : colour;
      return colour | 0xFF000000u;
    };
    for (int i = 0; i < n + 2; ++i) {
      if (i % 8 == 0) empty = int(rng() % 3) == 0 ? 16 : 10;
      p[i] = pixel();
      k[i] = rng() % 8 == 0 ? p[i] : pixel();
    }
    expectRowMatches(p, k, n, fa, trial % 2 == 0);
  }
}

// Every pair of alphas under eight random colours, for a spread of strengths:
// the one-division mix must land on the bytes of the three divisions.
TEST(PixelRows, SmudgeRowOverEveryPairOfAlphas) {
  std::mt19937 rng(3);
  for (int strength = 0; strength < 256; strength += 15) {
    float fa = float(strength) * kInv255;
    for (int pa = 0; pa < 256; pa += strength % 2 ? 1 : 2) {
      std::vector<Pixel> p(256 * 8 + 2), k(256 * 8 + 2);
      for (int j = 0; j < 256 * 8 + 2; ++j) {
        p[j] = (Pixel(rng()) & 0xFFFFFFu) | Pixel(pa) << 24;
        k[j] = (Pixel(rng()) & 0xFFFFFFu) | Pixel(j / 8 % 256) << 24;
      }
      expectRowMatches(p, k, 256 * 8, fa, pa % 3 == 0);
    }
  }
}

}  // namespace
}  // namespace tessel
