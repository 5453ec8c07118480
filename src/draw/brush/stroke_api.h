#pragma once
#include "draw/brush/brush_engine.h"
#include "draw/brush/point_ring.h"
#include "draw/tool/tool_settings.h"
#include "image/geometry.h"

namespace tessel {

class Document;
class Image32;
class BandCopy;

// One input sample: image coordinates and pressure 0..1 (1 for a mouse).
struct StrokeSample {
  double x = 0.0;
  double y = 0.0;
  float pressure = 1.0f;
};

// The images a stroke works on; all three must have the same size.
struct StrokeTarget {
  Image32* layer = nullptr;
  Image32* strokeBuffer = nullptr;
  Image32* layerBackup = nullptr;
  // When set, the backup is taken band by band as commits reach them.
  BandCopy* backupBands = nullptr;
  // When set, the stroke buffer is cleared band by band as dabs reach it.
  BandCopy* bufferBands = nullptr;
};
// The current layer and the document's stroke and backup buffers.
StrokeTarget strokeTargetOf(Document& doc);

// One freehand stroke of a painting tool, from press to release. Each call
// returns the rectangle it changed in the layer (empty for none), for the view
// to recomposite; end also returns the union rectangle that undo records from
// the layer backup (empty: nothing to record). Typical use:
//
//   engine.refreshContext(layer.image(), layer.maskMode, draw, tools, &textures);
//   Stroke stroke(engine);
//   Rect changed;
//   if (stroke.begin(strokeTargetOf(doc), tool, tools, press, changed)) {
//     ... changed = stroke.move(sample) for every move ...
//     Stroke::End e = stroke.end(release);
//     commitFromBackup(doc, doc.layerBackup, e.undo);   // document/pixel_edit.h
//   }
class Stroke {
 public:
  struct End {
    Rect changed;
    Rect undo;
  };

  explicit Stroke(BrushEngine& engine) : engine_(engine) {}
  ~Stroke() { engine_.setLazyBands(nullptr, nullptr); }
  Stroke(const Stroke&) = delete;
  Stroke& operator=(const Stroke&) = delete;

  // False, with nothing started, for a tool that does not paint, unusable
  // images or a sample that is not a number. roundPoints: a guide is active,
  // so pixel tools round to the nearest pixel instead of truncating.
  bool begin(const StrokeTarget& target, int tool, const ToolSettings& tools,
             const StrokeSample& start, Rect& changed, bool roundPoints = false);
  Rect move(const StrokeSample& sample);
  End end(const StrokeSample& sample);
  bool active() const { return active_; }
  StrokeRoute route() const { return route_; }
  // Where the sub-pixel path has got to.
  const StrokePoint& lastSample() const { return last_; }

 private:
  struct IntPoint {
    int x = 0, y = 0;
    bool operator==(const IntPoint&) const = default;
  };

  StrokePoint accept(const StrokeSample& s, bool first);
  IntPoint toPixel(const StrokePoint& p) const;
  Rect pixelRect(IntPoint a, IntPoint b) const;
  Rect beginPixel(IntPoint p);
  Rect movePixel(IntPoint p);
  void removeCorner(IntPoint p);
  Rect moveSubPixel(const StrokeSample& s);
  End endSubPixel(const StrokeSample& s);
  Image32& paintTarget() const;
  void commit(const Rect& r);
  void takeBackup();
  void clearBuffer();
  void attachBands();

  BrushEngine& engine_;
  StrokeTarget target_;
  StrokeRoute route_ = StrokeRoute::Buffered;
  int tool_ = 0;
  int size_ = 1;
  bool roundPoints_ = false;
  bool active_ = false;
  // Sub-pixel routes.
  PointRing ring_;
  CurveHistory history_;
  double carry_ = 0.0;
  StrokePoint last_;
  StrokePoint raw_;   // the last accepted sample
  // Pixel routes.
  IntPoint prev_;
  IntPoint beforeLast_;
  bool haveBeforeLast_ = false;
  int lastPriorAlpha_ = 255;
  Rect union_;
};

}  // namespace tessel
