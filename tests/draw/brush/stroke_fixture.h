#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "draw/brush/brush_engine.h"
#include "draw/brush/stroke_api.h"
#include "image/band_copy.h"
#include "image/image32.h"

namespace tessel {

// A layer with its stroke buffer and backup, an engine with a fixed seed, and
// a way to run one stroke through the public stroke API.
struct StrokeBench {
  Image32 layer, buffer, backup;
  BandCopy bands, clears;
  BrushEngine engine;
  ToolSettings tools;
  DrawSettings draw;
  uint32_t maskMode = kMaskNone;
  std::vector<Texture> textures;
  Rect lastUndo;

  explicit StrokeBench(int w = 64, int h = 64, uint32_t seed = 7) {
    bool ok = layer.create(w, h) && buffer.create(w, h) && backup.create(w, h) && engine.init(seed);
    EXPECT_TRUE(ok);
    layer.fill(kTransparent);
  }

  StrokeTarget target() { return {&layer, &buffer, &backup, &bands, &clears}; }

  // Press at the first sample, move through the middle ones, release at the last.
  Rect run(int tool, const std::vector<StrokeSample>& samples, bool roundPoints = false) {
    draw.toolNo = tool;
    engine.refreshContext(layer, maskMode, draw, tools, &textures);
    Stroke stroke(engine);
    Image32 before;
    EXPECT_TRUE(before.create(layer.width(), layer.height()));
    before.copyFrom(layer);
    Rect changed, all;
    // Left over from other work: a band read before it is cleared or copied shows in the goldens.
    buffer.fill(0x7F3A5C1Eu);
    backup.fill(0x80C0FFEEu);
    EXPECT_TRUE(stroke.begin(target(), tool, tools, samples.front(), changed, roundPoints));
    all = all.united(changed);
    for (size_t i = 1; i + 1 < samples.size(); ++i) all = all.united(stroke.move(samples[i]));
    Stroke::End e = stroke.end(samples.back());
    lastUndo = e.undo;
    // However the backup was taken, it holds the layer as the stroke found it where undo reads.
    for (int y = e.undo.y; y < e.undo.y + e.undo.h; ++y)
      for (int x = e.undo.x; x < e.undo.x + e.undo.w; ++x)
        if (backup.at(x, y) != before.at(x, y)) {
          ADD_FAILURE() << "backup differs at " << x << ", " << y;
          return all;
        }
    last = stroke.lastSample();
    return all.united(e.changed);
  }

  StrokePoint last;
};

inline std::vector<StrokeSample> line(double x0, double y0, double x1, double y1, int steps,
                                      float p0 = 1.0f, float p1 = 1.0f) {
  std::vector<StrokeSample> s;
  for (int i = 0; i <= steps; ++i) {
    double t = double(i) / steps;
    s.push_back({x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, float(p0 + (p1 - p0) * t)});
  }
  return s;
}

inline bool sameImage(const Image32& a, const Image32& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.at(x, y) != b.at(x, y)) return false;
  return true;
}

}  // namespace tessel
