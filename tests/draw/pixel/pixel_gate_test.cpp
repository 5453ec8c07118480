// The pixel operations called on a layer with a gate of their own, no engine.
#include <gtest/gtest.h>

#include <random>

#include "draw/brush/brush_engine.h"
#include "draw/pixel/pixel_gate.h"
#include "image/image32.h"

namespace tessel {
namespace {

TEST(PixelGateTest, MaskModeAndTextureWithoutAnEngine) {
  Image32 layer, ref;
  ASSERT_TRUE(layer.create(4, 2));
  ASSERT_TRUE(ref.create(4, 2));
  layer.fill(0xFF00FF00u);
  ref.fill(0xFF000000u);
  ref.set(0, 0, kTransparent);
  ref.set(1, 1, kTransparent);
  Texture tex{2, 1, {255, 128}};
  PixelGate gate;
  gate.reference = &ref;
  gate.texture = &tex;
  gate.maskMode = kMaskTransparent;   // only where the reference is opaque
  std::mt19937 random(1);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) applyPixelOp(kPixelReplace, gate, random, layer, x, y, 0xFF0000FFu);
  // Even columns take the full opacity, odd ones 255 * 128 / 255.
  EXPECT_EQ(layer.at(0, 0), 0xFF00FF00u);
  EXPECT_EQ(layer.at(1, 0), 0x800000FFu);
  EXPECT_EQ(layer.at(2, 0), 0xFF0000FFu);
  EXPECT_EQ(layer.at(0, 1), 0xFF0000FFu);
  EXPECT_EQ(layer.at(1, 1), 0xFF00FF00u);
  applyPixelOp(kPixelReplace, gate, random, layer, 4, 0, 0xFF0000FFu);   // outside: ignored
  applyPixelOp(kPixelOpCount, gate, random, layer, 2, 1, 0xFF123456u);   // unknown op
  EXPECT_EQ(layer.at(2, 1), 0xFF0000FFu);
}

// The engine's operations are the same table: the spray draws the same numbers.
TEST(PixelGateTest, SameResultsAsThroughTheEngine) {
  Image32 viaEngine, direct, ref;
  ASSERT_TRUE(viaEngine.create(16, 16));
  ASSERT_TRUE(direct.create(16, 16));
  ASSERT_TRUE(ref.create(16, 16));
  ref.fill(0xFF102030u);
  ref.set(3, 3, 0xFF445566u);
  viaEngine.fill(0x80402010u);
  direct.fill(0x80402010u);
  BrushEngine engine;
  ASSERT_TRUE(engine.init(77u));
  BrushContext& c = engine.context();
  c.reference = &ref;
  c.colourMaskMode = kColourMaskProtect;
  c.maskColours[0] = 0x445566;
  PixelGate gate = c;
  std::mt19937 random(77u);
  for (int op : {kPixelSpray, kPixelOver, kPixelBlur, kPixelDodge, kPixelErase})
    for (int i = 0; i < 256; ++i) {
      Pixel v = 0x00C08040u | (Pixel(i) << 24);
      engine.applyPixelOp(op, viaEngine, i % 16, i / 16, v);
      applyPixelOp(op, gate, random, direct, i % 16, i / 16, v);
    }
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(viaEngine.at(x, y), direct.at(x, y)) << x << "," << y;
  EXPECT_EQ(direct.at(3, 3), 0x80402010u);   // the protected colour
}

}  // namespace
}  // namespace tessel
