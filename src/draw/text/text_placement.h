#pragma once
#include <functional>
#include <memory>
#include <string>

#include "draw/brush/brush_engine.h"
#include "draw/text/glyph_source.h"
#include "draw/text/text_settings.h"
#include "draw/tool/tool_settings.h"
#include "image/geometry.h"
#include "view/canvas_view.h"

namespace tessel {

class Document;
struct Layer;

// One placement of text in the current layer while the text dialog is open:
// the layer as it was (the document's layer backup), the anchor and the
// rectangle of the current preview. OK renders the text for good as one undo
// step; Cancel leaves the layer as it was.
class TextPlacement {
 public:
  using FontMaker = std::function<std::unique_ptr<GlyphSource>(const TextSettings&)>;

  TextPlacement(Document& doc, const BrushEngine& engine, const DrawSettings& draw,
                const ToolSettings& tools)
      : doc_(doc), engine_(engine), draw_(draw), tools_(tools) {}

  FontMaker fontMaker;                       // the font for the settings; null: no text
  std::function<void(const Rect&)> refresh;  // a canvas rectangle changed
  std::function<void()> opened;              // a placement began: show the dialog

  bool active() const { return active_; }
  Point anchor() const { return anchor_; }
  const Rect& previewRect() const { return preview_; }

  // A press of the text tool: begins a placement (backing up the current
  // layer) or, while one is open, moves its anchor. False without a layer.
  bool place(Point anchor);
  // Moves the anchor by (dx, dy) pixels and redraws the preview.
  void nudge(int dx, int dy);
  // Takes the dialog's settings and text; redraws the preview when the
  // preview flag is set, else removes it.
  void preview(const TextSettings& settings, const std::u16string& text, bool fontChanged);
  // Ends the placement: removes the preview and, with ok, renders the text
  // for good and records it. Returns the rectangle rendered.
  Rect finish(bool ok);

 private:
  bool layerAlive() const;
  void removePreview();
  void redraw();
  Rect render(bool final);

  Document& doc_;
  const BrushEngine& engine_;
  const DrawSettings& draw_;
  const ToolSettings& tools_;
  std::unique_ptr<GlyphSource> font_;
  TextSettings settings_;
  std::u16string text_;
  Layer* layer_ = nullptr;
  bool active_ = false;
  Point anchor_;
  Rect preview_;
};

}  // namespace tessel
