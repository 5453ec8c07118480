#pragma once
#include "filters/resample.h"
#include "image/image32.h"

namespace tessel {

class Document;
class Progress;

// Colour of the area a larger canvas adds.
enum class CanvasFill { Transparent = 0, White = 1, Foreground = 2 };

// Anchors: 0 = left/top, 1 = centre, 2 = right/bottom.
struct CanvasAnchor {
  int horizontal = 1;
  int vertical = 1;
  // The nine position buttons, k mod 3 across and k div 3 down.
  static constexpr CanvasAnchor fromIndex(int k) { return {k % 3, k / 3}; }
};

// Pixel routines on single images.
void flipHorizontal(Image32& image, int threads = kDefaultThreads);
void flipVertical(Image32& image);
// out becomes h wide and w high; false when it cannot be allocated.
bool rotate90(const Image32& src, Image32& out, bool counterClockwise,
              int threads = kDefaultThreads);
bool resizeCanvas(const Image32& src, Image32& out, int width, int height, CanvasAnchor anchor,
                  Pixel fill);
bool cropImage(const Image32& src, Image32& out, const Rect& rect);
Pixel canvasFillPixel(CanvasFill fill, Pixel foreground);   // foreground as 0x00RRGGBB

// Whole-document commands. They work on every layer, tell the undo recorder
// what it needs and resize the document's canvas buffers. Each steps progress
// once per layer. Every new layer image is made before any layer changes, so a
// failed allocation leaves the document as it was and returns false.
bool flipDocument(Document& doc, bool vertical, Progress* progress);
bool rotateDocument(Document& doc, bool counterClockwise, Progress* progress);
bool changeCanvasSize(Document& doc, int width, int height, CanvasAnchor anchor, CanvasFill fill,
                      Pixel foreground, Progress* progress);
// Scaling to the current size changes nothing and records nothing.
bool scaleDocument(Document& doc, int width, int height, ScaleMethod method, Progress* progress,
                   int threads = kDefaultThreads);
// False, with nothing recorded, when the rectangle is the whole canvas or
// does not overlap it; otherwise cuts every layer to its part on the canvas.
bool cropDocument(Document& doc, const Rect& rect, Progress* progress);

}  // namespace tessel
