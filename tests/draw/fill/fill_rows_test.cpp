#include <gtest/gtest.h>

#include <random>

#include "draw/input/canvas_input_fixture.h"
#include "draw/fill/fill.h"

namespace tessel {
namespace {

// Blocks of a few colours and alphas, with single-pixel noise, so regions
// have ragged edges, holes and many spans.
void scribble(Image32& img, std::mt19937& rng) {
  const Pixel palette[] = {kTransparent, 0xFF102030u, 0x80102030u, 0xFFFFFFFFu, 0x00000000u};
  img.fill(kTransparent);
  for (int k = 0; k < 30; ++k) {
    const int x = int(rng() % 60), y = int(rng() % 40);
    img.fillRect(x, y, 1 + int(rng() % (60 - x)), 1 + int(rng() % (40 - y)), palette[rng() % 5]);
  }
  for (int k = 0; k < 200; ++k) img.set(int(rng() % 60), int(rng() % 40), palette[rng() % 5]);
}

TEST(FillRows, FastFloodWritesWhatThePerPixelFloodWrites) {
  std::mt19937 rng(9);
  Texture texture{3, 2, {255, 0, 128, 77, 255, 1}};
  for (int round = 0; round < 120; ++round) {
    Image32 start;
    ASSERT_TRUE(start.create(60, 40));
    scribble(start, rng);
    FillRequest req{int(rng() % 60), int(rng() % 40), Pixel(rng()) & 0xFFFFFF, 1 + int(rng() % 255),
                    uint32_t(rng() % 16), 0, {rng() % 3 == 0, rng() % 3 == 0, false}};
    PixelGate gate;
    gate.maskMode = uint32_t(rng() % 4);
    if (rng() % 3 == 0) gate.texture = &texture;
    Image32 results[2];
    Rect bounds[2];
    for (int plain = 0; plain < 2; ++plain) {
      InputRig rig(60, 40);
      rig.layer().copyFrom(start);
      req.plain = plain == 1;
      bounds[plain] = fillAt(rig.doc, gate, rig.engine.random(), req);
      ASSERT_TRUE(results[plain].create(60, 40));
      results[plain].copyFrom(rig.layer());
      if (bounds[plain].empty()) continue;
      UndoRefresh refresh;
      ASSERT_TRUE(rig.history->undo(refresh));
      for (int y = 0; y < 40; ++y)   // undo stores every transparent pixel as such
        for (int x = 0; x < 60; ++x)
          ASSERT_EQ(withAlpha(rig.layer().at(x, y), alphaOf(rig.layer().at(x, y))),
                    withAlpha(start.at(x, y), alphaOf(start.at(x, y))));
    }
    ASSERT_EQ(bounds[0], bounds[1]) << "round " << round;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x)
        ASSERT_EQ(results[0].at(x, y), results[1].at(x, y)) << "round " << round << " at " << x << "," << y;
  }
}

}  // namespace
}  // namespace tessel
