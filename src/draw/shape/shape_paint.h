#pragma once
#include <vector>

#include "draw/brush/brush_engine.h"
#include "draw/shape/shape_geometry.h"
#include "draw/tool/tool_settings.h"
#include "image/geometry.h"

namespace tessel {

class Document;
class Image32;

// The shapes a painting tool draws besides freehand.
enum class ShapeKind {
  Line,
  Rectangle,
  FilledRectangle,
  Ellipse,
  FilledEllipse,
  Polyline,
  ConcentratedLines,
  Bezier,
  Spline,
};

// Draws shapes on the document's current layer with a painting tool's own
// rasteriser: sub-pixel tools with drawSegment at full pressure, pixel tools
// with their stamps. The engine's context must have been refreshed for the
// current layer (as at a press). Tools that draw directly (blur, finger,
// dodge, burn) paint into the layer with the layer backup as reference; the
// others paint into the stroke buffer, which is then composed over the layer
// as it is, so a shape always lands on what is there.
class ShapePainter {
 public:
  ShapePainter(Document& doc, BrushEngine& engine, const ToolSettings& tools, int tool);
  bool usable() const { return usable_; }

  // A shape of one release, in image coordinates: two points (press and
  // release; boxes take them as opposite corners), Bezier P0, P1, P2, P3, or
  // the spline's points. Records one undo step; returns the changed rectangle.
  Rect draw(ShapeKind kind, const std::vector<PointF>& points);

  // One segment of a polyline or of concentrated lines, committed at once
  // and recorded by nobody: the gesture keeps the layer backup from its
  // start (beginSegments) and records the union at the end. A pixel tool
  // stamps the start of the first segment only.
  void beginSegments();
  Rect segment(PointF from, PointF to, bool first);

 private:
  void setUp(bool filled);
  void prepare(const Rect& area, bool backupLayer);
  Rect finish(const Rect& area, bool record);
  Image32& target();
  Rect strokeRect(double minX, double minY, double maxX, double maxY) const;
  Rect boundsOf(const std::vector<PointF>& pts) const;
  Box pixelBox(PointF a, PointF b) const;

  void line(PointF a, PointF b, bool skipFirst);
  void curve(const std::vector<PointF>& pts);
  void rectangle(PointF a, PointF b);
  void fillBox(const Box& box);
  void ellipse(PointF a, PointF b, bool filled);
  void subPixelFilledEllipse(PointF a, PointF b);
  void stampPixel(int x, int y);

  Document& doc_;
  BrushEngine& engine_;
  const ToolSettings& tools_;
  int tool_;
  bool usable_ = false;
  bool subPixel_ = false;
  bool direct_ = false;
};

}  // namespace tessel
