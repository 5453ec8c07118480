#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "draw/input/canvas_input_fixture.h"
#include "draw/fill/gradient_rows.h"

namespace tessel {
namespace {

// Every row of the fast path against the per-pixel indexer.
void expectRowsMatch(const GradientRequest& r, int w, int h) {
  const GradientRows rows(r, w, h);
  std::vector<int32_t> got(size_t(w), 0);
  for (int y = 0; y < h; ++y) {
    rows.row(y, got.data());
    for (int x = 0; x < w; ++x)
      ASSERT_EQ(got[size_t(x)], rows.indexer().at(x, y))
          << "type " << r.drawType << " (" << r.start.x << "," << r.start.y << ")-(" << r.end.x
          << "," << r.end.y << ") shift " << r.shift << " alt " << r.alt << " at " << x << "," << y;
  }
}

TEST(GradientRows, RandomDragsGiveThePerPixelIndices) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(-150, 250), pick(0, 9);
  for (int round = 0; round < 400; ++round) {
    GradientRequest r;
    r.start = {coord(rng), coord(rng)};
    r.end = pick(rng) == 0 ? r.start : Point{coord(rng), coord(rng)};
    if (pick(rng) == 1) r.end.y = r.start.y;   // axis-parallel drags divide by zero sides
    if (pick(rng) == 2) r.end.x = r.start.x;
    r.drawType = int(rng() % 10);
    r.shift = pick(rng) < 3;
    r.alt = pick(rng) < 3;
    r.grad = pick(rng) == 4 ? kGradientRainbow : 0;
    expectRowsMatch(r, 101, 67);
    if (HasFatalFailure()) return;
  }
}

TEST(GradientRows, LargeAngularAndFarDragsGiveThePerPixelIndices) {
  GradientRequest r;
  r.start = {333, 217}, r.end = {901, 1000}, r.drawType = 7;
  expectRowsMatch(r, 700, 450);   // many seams and index boundaries
  r.shift = true;
  expectRowsMatch(r, 700, 450);
  r.start = {-40000000, 5}, r.end = {40000000, 9}, r.drawType = 4;   // beyond the fast range
  expectRowsMatch(r, 40, 30);
  r.start = {3, 5}, r.end = {4, 5}, r.drawType = 2;                  // a one-pixel box
  expectRowsMatch(r, 300, 200);
}

TEST(GradientRows, RowPaintingMatchesThePixelOperation) {
  std::mt19937 rng(3);
  GradientTable table;
  for (Pixel& e : table) e = rng() % 3 ? Pixel(rng()) | 0xFF000000u : Pixel(rng());
  for (bool keepAlpha : {false, true}) {
    std::vector<Pixel> fast(203), plain(203);
    std::vector<int32_t> idx(203);
    for (size_t i = 0; i < fast.size(); ++i) {
      fast[i] = plain[i] = rng() % 4 ? Pixel(rng()) : kTransparent;
      idx[i] = rng() % 5 == 0 ? -1 : int32_t(rng() % 512);
    }
    // Long runs of opaque entries take the eight-pixel path.
    for (size_t i = 40; i < 120; ++i) idx[i] = int32_t(i) | (table[i] >> 31 ? 0 : 1);
    overKeepAlphaRow(fast.data(), idx.data(), int(fast.size()), table, keepAlpha);
    Image32 img;
    ASSERT_TRUE(img.create(int(plain.size()), 1));
    std::copy(plain.begin(), plain.end(), img.row(0));
    PixelGate gate;
    gate.maskMode = keepAlpha ? kMaskAlpha : kMaskNone;
    for (size_t i = 0; i < plain.size(); ++i)
      if (idx[i] >= 0) applyPixelOp(kPixelOverKeepAlpha, gate, rng, img, int(i), 0, table[size_t(idx[i])]);
    for (size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(fast[i], img.row(0)[i]) << i;
  }
}

TEST(GradientRows, LayerGradientEqualsThePerPixelPaintingWithAndWithoutAGate) {
  for (uint32_t mask : {kMaskNone, kMaskTransparent}) {
    InputRig rig(90, 70);
    std::mt19937 rng(5);
    for (int y = 0; y < 70; ++y)
      for (int x = 0; x < 90; ++x) rig.layer().set(x, y, rng() % 3 ? Pixel(rng()) : kTransparent);
    Image32 expected;
    ASSERT_TRUE(expected.create(90, 70));
    expected.copyFrom(rig.layer());
    GradientRequest r;
    r.start = {20, 30}, r.end = {70, 10}, r.drawType = 7, r.grad = kGradientOpaqueClear;
    r.opacity = 200;
    PixelGate gate = rig.engine.context();
    gate.maskMode = mask;
    gate.reference = &expected;
    const GradientTable table = gradientTable(r.grad, r.c1, r.c2, r.opacity);
    const GradientIndexer ix(r);
    for (int y = 0; y < 70; ++y)
      for (int x = 0; x < 90; ++x)
        if (int i = ix.at(x, y); i >= 0)
          applyPixelOp(kPixelOverKeepAlpha, gate, rng, expected, x, y, table[size_t(i)]);
    drawGradient(rig.doc, gate, rig.engine.random(), r);
    for (int y = 0; y < 70; ++y)
      for (int x = 0; x < 90; ++x) ASSERT_EQ(rig.layer().at(x, y), expected.at(x, y)) << x << "," << y;
  }
}

}  // namespace
}  // namespace tessel
