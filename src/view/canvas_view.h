#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/geometry.h"

namespace tessel {

class Document;
class Image32;

// Bits of the view flag word (ExViewFlag).
namespace view_flag {
constexpr uint32_t kMirror = 1u << 0;
constexpr uint32_t kChecker = 1u << 1;
constexpr uint32_t kFullScreen = 1u << 2;
constexpr uint32_t kGrid = 1u << 3;
constexpr uint32_t kFilePreview = 1u << 4;
constexpr uint32_t kPanelsHidden = 1u << 6;
constexpr uint32_t kMergedPaste = 1u << 7;
}  // namespace view_flag

// The settings the view reads; colours are 0x00RRGGBB.
struct ViewOptions {
  uint32_t flags = 0x90;
  uint32_t canvasBackground = 0xB4B4B4;
  uint32_t checkColour1 = 0xD8D8D8;
  uint32_t checkColour2 = 0xF8F8F8;
  uint32_t gridColour = 0x0080FF;
  uint32_t centreGridColour = 0xFF00FF;  // bit 31: the centre cross is shown
  int gridW = 100;
  int gridH = 100;
  int gridPixelPer = 5;
  int scaleDownStep = 25;   // ScaleDAdd
  int scaleUpStep = 100;    // ScaleUAdd
};

constexpr int kMinZoom = 10;
constexpr int kMaxZoom = 2000;
constexpr uint32_t kPixelGridColour = 0xA0A0A0;
constexpr uint32_t kHighZoomGridColour = 0xFF3083;
constexpr uint32_t kHighZoomCentreColour = 0x1DFFB4;

struct Point {
  int x = 0, y = 0;
  constexpr bool operator==(const Point&) const = default;
};
struct PointF {
  double x = 0, y = 0;
};

// One scroll bar: range 0..maximum, the page and the position.
struct ScrollModel {
  int maximum = 0;
  int page = 0;
  int position = 0;
};

// The three texts of the info bar.
struct InfoBarText {
  std::string position;
  std::string zoom;
  std::string size;
  bool sizeIsDrag = false;  // shown in red
};

// Shows the document's composite zoomed, scrolled and mirrored in the screen
// buffer, with the grids drawn over it, and converts between window and image
// coordinates. The window toolkit only copies the screen buffer out and
// forwards sizes, scrolls and the invalidated rectangles.
class CanvasView {
 public:
  CanvasView(Document& document, Image32& screen, ViewOptions& options);

  // Called with a screen rectangle that needs painting.
  std::function<void(const Rect&)> onInvalidate;
  // Called after the zoom or the scroll position changed (scroll bars, info bar).
  std::function<void()> onViewChanged;
  // Called with each freshly rendered screen rectangle before it is
  // invalidated, so feedback that stays on screen can be drawn into it again.
  std::function<void(const Rect&)> onRendered;

  int maxWidth() const;
  int maxHeight() const;
  int clientWidth() const { return clientW_; }
  int clientHeight() const { return clientH_; }
  int centreX() const { return centreX_; }
  int centreY() const { return centreY_; }
  int scrollX() const { return scrollX_; }
  int scrollY() const { return scrollY_; }
  int zoom() const { return zoom_; }
  bool mirrored() const { return (options_.flags & view_flag::kMirror) != 0; }
  bool mergedPaste() const { return (options_.flags & view_flag::kMergedPaste) != 0; }
  Point origin() const { return {centreX_ - scrollX_, centreY_ - scrollY_}; }

  Point imageFromView(int vx, int vy) const;
  PointF imageFromViewExact(int vx, int vy) const;
  Point viewFromImage(int ix, int iy) const;
  std::optional<Rect> viewRectFromImageRect(const Rect& imageRect) const;
  // brushSize widens the rectangle when widen is set.
  std::optional<Rect> imageRectFromPoints(Point a, Point b, bool widen, int brushSize) const;

  // A new client size keeps the image point at the centre.
  void setClientSize(int width, int height);
  void setZoom(int percent);
  void zoomStep(bool in);
  // One zoom step that keeps the image point under view point (vx, vy)
  // where it is, as far as the scroll limits allow (the mouse wheel).
  void zoomStepAbout(bool in, int vx, int vy);
  void setScroll(int x, int y);
  void scrollTo(Point imagePoint);
  void centreImage();
  void toggleMirror();
  ScrollModel horizontalScroll() const;
  ScrollModel verticalScroll() const;

  // Recomposite everything, render and invalidate the whole window.
  void refreshAll();
  // Recomposite one image rectangle and render its screen rectangle.
  void refreshRect(const Rect& imageRect);
  // Render from the existing composite.
  void renderOnly() { renderAll(); }
  void renderAll();
  void renderRect(const Rect& screenRect);

  InfoBarText infoBar() const;
  void setCursorImagePoint(Point p) { cursor_ = p; }
  void setDragSize(std::optional<Point> size) { dragSize_ = size; }

 private:
  int zoomedWidth() const;
  int zoomedHeight() const;
  int nextZoom(bool in) const;
  Point centreImagePoint() const;
  void readClientSize(int width, int height);
  void clampScroll();
  void afterViewChange();
  void renderZoomedIn(const Rect& r);
  void renderZoomedOut(const Rect& r);
  void sumColumns(int iy0, int iy1, int lowest, int highest);
  void prepareReciprocals(int64_t a);
  void drawGrids(const Rect& r);
  void drawNormalGrid(const Rect& r);
  void drawHighZoomGrid(const Rect& r);
  int screenEdgeX(int imageColumn) const;
  int screenEdgeY(int imageRow) const;
  void columnLine(const Rect& clip, int column, uint32_t colour, bool blend, bool frame);
  void rowLine(const Rect& clip, int row, uint32_t colour, bool blend, bool frame);

  Document& doc_;
  Image32& screen_;
  ViewOptions& options_;
  int clientW_ = 0;
  int clientH_ = 0;
  int centreX_ = 0;
  int centreY_ = 0;
  int scrollX_ = 0;
  int scrollY_ = 0;
  int zoom_ = 100;
  Point cursor_;
  std::optional<Point> dragSize_;
  std::vector<int> columns_;     // per screen column of the rendered rectangle
  std::vector<uint16_t> sums_;        // per image column: blue, green, red, alpha sums
  std::vector<uint64_t> reciprocals_; // exact division by a box's pixel count
};

// The info bar formats, with the cursor clamped to -9999..9999.
std::string formatCursor(Point p);
std::string formatZoom(int zoom);
std::string formatSize(int width, int height);

}  // namespace tessel
