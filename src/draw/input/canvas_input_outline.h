#pragma once
#include <optional>
#include <vector>

#include "image/image32.h"
#include "view/canvas_view.h"

namespace tessel {

class Selection;

// Where the selection frame's outer lines lie on screen, in client pixels:
// the lines of the image's left, top, right and bottom edges. In the
// mirrored view `left` lies right of `right` and the nested lines of a thick
// frame step the other way (stepX is -1).
struct OutlineEdges {
  int left = 0, top = 0, right = 0, bottom = 0;
  int thickness = 1;
  int stepX = 1;
};

OutlineEdges selectionOutlineEdges(const Rect& imageRect, const CanvasView& view);
// Every pixel of clip the frame inverts, each once.
std::vector<Point> selectionOutlinePoints(const Rect& imageRect, const CanvasView& view, const Rect& clip);

// The hovered handle of a selected rectangle, in the order they are tested.
enum SelectionHandle : int {
  kHandleNone = 0,
  kHandleTop = 1,
  kHandleBottom = 2,
  kHandleLeft = 3,
  kHandleRight = 4,
  kHandleTopLeft = 5,
  kHandleBottomRight = 6,
  kHandleTopRight = 7,
  kHandleBottomLeft = 8,
};
// The handle under client point (cx, cy): corners first, then the edges
// while the point lies along them; 3 client pixels of tolerance up to
// 100 %, 1 above.
int selectionHandleAt(const Rect& imageRect, const CanvasView& view, int cx, int cy);
// Which edges a handle drags.
struct HandleEdges {
  bool left = false, top = false, right = false, bottom = false;
};
HandleEdges edgesOf(int handle);

// The selection frame, kept on the screen buffer while a selection exists:
// inverted once to show it and once more to take it away. The view renders
// over it, so every freshly rendered rectangle gets its part again.
class SelectionOutline {
 public:
  SelectionOutline(Image32& screen, CanvasView& view, const Selection& selection)
      : screen_(screen), view_(view), selection_(selection) {}

  // A drag's frame shown instead of the selection's own (none: the selection's).
  void showFrame(std::optional<Rect> frame) {
    frame_ = frame;
    sync();
  }
  // Brings the screen up to the selection, the drag's frame and the view.
  void sync();
  // The view has just painted over screenRect.
  void rendered(const Rect& screenRect);
  // The frame as it stands on screen, in image pixels (none when hidden).
  std::optional<Rect> frame() const;
  const std::vector<Point>& shownPoints() const { return shown_; }

 private:
  // What the frame's pixels depend on; while it stays the same the points
  // shown are still the ones wanted.
  struct Key {
    std::optional<Rect> frame;
    int zoom = 0, clientW = 0, clientH = 0;
    Point origin;
    bool mirrored = false;
    bool operator==(const Key&) const = default;
  };
  Key keyNow() const;
  Rect clientArea() const;
  std::vector<Point> wanted() const;
  // Shows the wanted frame; the points of shown_ inside kept are already gone.
  void replace(const Key& key, const Rect& kept);
  // Inverts the points lying inside region (or outside it); returns their
  // bounding box.
  Rect invert(const std::vector<Point>& pts, const Rect& region, bool inside);
  void invalidate(const Rect& r);

  Image32& screen_;
  CanvasView& view_;
  const Selection& selection_;
  std::optional<Rect> frame_;
  std::vector<Point> shown_;
  Key shownKey_;
};

}  // namespace tessel
