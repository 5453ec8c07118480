#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "document/document.h"
#include "draw/input/canvas_input.h"
#include "draw/selection/selection.h"
#include "undo/undo_history.h"
#include "view/canvas_view.h"

namespace tessel {

// A document with its undo history, view, screen buffer and engine, and the
// canvas input wired to them, driven the way the window drives it.
struct InputRig {
  std::filesystem::path temp;
  Document doc;
  std::unique_ptr<UndoHistory> history;
  Image32 screen;
  ViewOptions viewOptions;
  CanvasView view{doc, screen, viewOptions};
  BrushEngine engine;
  ToolSettings tools;
  DrawSettings draw;
  InputOptions options;
  Selection selection;
  CanvasInput input{doc, view, screen, engine, tools, draw, options, selection};
  InputState in;
  int captures = 0, releases = 0, undos = 0;

  explicit InputRig(int w = 80, int h = 60, int clientW = 200, int clientH = 160) {
    static int serial = 0;
    temp = std::filesystem::temp_directory_path() /
           ("tessel-input-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::create_directories(temp);
    history = std::make_unique<UndoHistory>(doc, temp);
    EXPECT_TRUE(doc.newImage(w, h, true));
    doc.setRecorder(history.get());
    EXPECT_TRUE(screen.create(clientW, clientH));
    EXPECT_TRUE(engine.init(11));
    view.setClientSize(clientW, clientH);
    view.refreshAll();
    input.hooks.capture = [this](bool take) { take ? ++captures : ++releases; };
    input.hooks.undo = [this] { ++undos; };
  }
  ~InputRig() {
    doc.setRecorder(nullptr);
    history.reset();
    std::error_code ignored;
    std::filesystem::remove_all(temp, ignored);
  }

  Image32& layer() { return doc.currentLayer()->image(); }

  // The pointer over image point (x, y).
  void at(double x, double y) {
    Point c = view.viewFromImage(0, 0);
    in.clientX = c.x + x * view.zoom() / 100.0;
    in.clientY = c.y + y * view.zoom() / 100.0;
  }
  void atClient(double x, double y) {
    in.clientX = x;
    in.clientY = y;
  }
  bool press(double x, double y, int button = kButtonLeft, int source = kSourceMouse) {
    at(x, y);
    return input.press(button, source, in);
  }
  void moveTo(double x, double y, int source = kSourceMouse) {
    at(x, y);
    input.move(source, in);
  }
  void release(int button = kButtonLeft, int source = kSourceMouse) {
    input.release(button, source, in);
  }
  // Press, moves in `steps` steps, release.
  void drag(double x0, double y0, double x1, double y1, int steps = 8, int button = kButtonLeft) {
    press(x0, y0, button);
    for (int i = 1; i <= steps; ++i)
      moveTo(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    release(button);
  }

  std::vector<Pixel> pixels(const Image32& img) const {
    std::vector<Pixel> out;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) out.push_back(img.at(x, y));
    return out;
  }
  int changedCount(const std::vector<Pixel>& before, const Image32& img) const {
    std::vector<Pixel> now = pixels(img);
    int n = 0;
    for (size_t i = 0; i < now.size(); ++i) n += now[i] != before[i];
    return n;
  }
};

}  // namespace tessel
