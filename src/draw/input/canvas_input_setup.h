#pragma once
#include "config/settings.h"
#include "draw/brush/brush_engine.h"
#include "draw/input/canvas_input.h"
#include "draw/input/input_state.h"
#include "draw/text/text_placement.h"
#include "draw/tool/tool_settings.h"

namespace tessel {

// The painting side of the program: the engine, the tool and drawing
// settings and the canvas input that uses them. Created with the view and
// the screen buffer, filled from the settings at start and written back at exit.
struct PaintingTools {
  PaintingTools(Document& doc, CanvasView& view, Image32& screen, Selection& selection)
      : input(doc, view, screen, engine, tools, draw, options, selection), text(doc, engine, draw, tools) {
    input.hooks.placeText = [this](Point anchor) { return text.place(anchor); };
    text.refresh = [&view](const Rect& r) { view.refreshRect(r); };
  }
  PaintingTools(const PaintingTools&) = delete;
  PaintingTools& operator=(const PaintingTools&) = delete;

  BrushEngine engine;
  ToolSettings tools;
  DrawSettings draw;
  InputOptions options;
  CanvasInput input;
  TextPlacement text;   // the text tool's placement while its dialog is open

  // False when the engine's tables cannot be allocated.
  bool init() { return engine.init(); }
  void load(const Settings& s);
  void store(Settings& s) const;
  // The text dialog's end: finishes the placement and the waiting drag.
  Rect finishText(bool ok) {
    Rect r = text.finish(ok);
    input.cancel();
    if (!r.empty() && input.hooks.layerChanged) input.hooks.layerChanged();
    return r;
  }
};

}  // namespace tessel
