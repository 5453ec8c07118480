// What the selection frame kept on screen costs a redraw, and one step of
// dragging a floating image. 4500 x 4500 document, 1280 x 900 window.
#include <benchmark/benchmark.h>

#include "document/document.h"
#include "draw/input/canvas_input_setup.h"
#include "draw/selection/selection.h"
#include "view/canvas_view.h"

namespace tessel {
namespace {

constexpr int kCanvas = 4500;
constexpr int kClientW = 1280, kClientH = 900;

struct SelectionScene {
  Document doc;
  Image32 screen;
  ViewOptions viewOptions;
  CanvasView view{doc, screen, viewOptions};
  Selection selection;
  PaintingTools painting{doc, view, screen, selection};
  bool ok = false;

  SelectionScene() {
    if (!doc.newImage(kCanvas, kCanvas, true) || !screen.create(kClientW, kClientH)) return;
    Image32& img = doc.currentLayer()->image();
    for (int y = 0; y < kCanvas; ++y)
      for (int x = 0; x < kCanvas; ++x) img.set(x, y, makePixel(255, x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    view.setClientSize(kClientW, kClientH);
    view.scrollTo({kCanvas / 2, kCanvas / 2});
    view.refreshAll();
    ok = true;
  }
};

SelectionScene& scene() {
  static SelectionScene s;
  return s;
}

// A 64 x 64 redraw at the window's centre at zoom range(0), with a frame
// (range(1) = 1) around most of the window or none.
void BM_RedrawWithFrame(benchmark::State& state) {
  SelectionScene& s = scene();
  if (!s.ok) return state.SkipWithError("no memory for the scene");
  s.view.setZoom(int(state.range(0)));
  const Point c = s.view.imageFromView(kClientW / 2, kClientH / 2);
  const int half = 400 * 100 / int(state.range(0));
  s.selection.reset();
  if (state.range(1)) s.selection.set(s.doc, c.x - half, c.y - half, c.x + half, c.y + half);
  s.painting.input.syncOutline();
  for (auto _ : state) s.view.refreshRect({c.x - 32, c.y - 32, 64, 64});
  state.counters["frame_px"] = double(s.painting.input.outline().shownPoints().size());
}
BENCHMARK(BM_RedrawWithFrame)->ArgsProduct({{100, 1000}, {0, 1}})->Unit(benchmark::kMicrosecond);

// One pointer move of a floating 512 x 512 image at zoom 100.
void BM_FloatingMoveStep(benchmark::State& state) {
  SelectionScene& s = scene();
  if (!s.ok) return state.SkipWithError("no memory for the scene");
  s.view.setZoom(100);
  s.selection.reset();
  s.painting.input.selectTool(kToolSelection);
  const Point c = s.view.imageFromView(kClientW / 2, kClientH / 2);
  s.selection.set(s.doc, c.x - 256, c.y - 256, c.x + 255, c.y + 255);
  InputState in;
  in.clientX = kClientW / 2;
  in.clientY = kClientH / 2;
  s.painting.input.press(kButtonLeft, kSourceMouse, in);
  int step = 0;
  for (auto _ : state) {
    in.clientX = kClientW / 2 + (step++ % 2 ? 3 : -3);
    s.painting.input.move(kSourceMouse, in);
  }
  s.painting.input.release(kButtonLeft, kSourceMouse, in);
  s.selection.reset();   // no undo record for the benchmark's moves
}
BENCHMARK(BM_FloatingMoveStep)->Unit(benchmark::kMicrosecond);

// The baseline of a move step: redrawing the same 518 x 512 area alone.
void BM_RedrawFloatingArea(benchmark::State& state) {
  SelectionScene& s = scene();
  if (!s.ok) return state.SkipWithError("no memory for the scene");
  s.view.setZoom(100);
  const Point c = s.view.imageFromView(kClientW / 2, kClientH / 2);
  for (auto _ : state) s.view.refreshRect({c.x - 259, c.y - 256, 518, 512});
}
BENCHMARK(BM_RedrawFloatingArea)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessel
