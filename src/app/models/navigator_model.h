#pragma once
#include "image/geometry.h"
#include "image/image32.h"
#include "view/canvas_view.h"

namespace tessel {


// The navigator's overview: the composite scaled to fit the panel, keeping
// its proportions, each picture pixel the average of the source pixels it
// covers (so thin lines stay visible), or with `sampled` one source pixel
// each. A refresh after a stroke rescales only the cells the stroke touched.
class NavigatorModel {
 public:
  // The whole picture for a panel of panelW x panelH; zoom (percent, 100 to
  // 800) enlarges it past the panel, never past the image's own size.
  void rebuild(const Image32& composite, int panelW, int panelH, int zoom = 100);
  // A picture larger than the panel moves so that the view's rectangle is
  // in the middle, as far as the picture reaches.
  void follow(const CanvasView& view, int panelW, int panelH);
  // Only the picture pixels that sample imageRect of the composite.
  void update(const Image32& composite, const Rect& imageRect);
  const Image32& picture() const { return picture_; }
  // One source pixel per picture pixel instead of the average (takes effect
  // at the next rebuild or update).
  bool sampled = false;
  // Where the picture lies in the panel.
  Rect pictureRect() const { return {offX_, offY_, picture_.width(), picture_.height()}; }
  // The part of the image the view shows, in panel coordinates.
  Rect viewRect(const CanvasView& view) const;
  // The image point under a panel point (clamped into the image).
  Point imagePoint(int px, int py) const;
  int imageWidth() const { return imageW_; }
  int imageHeight() const { return imageH_; }

 private:
  void sampleRows(const Image32& composite, int x0, int x1, int y0, int y1);
  void averageRows(const Image32& composite, int x0, int x1, int y0, int y1);

  Image32 picture_;
  int offX_ = 0, offY_ = 0;
  int imageW_ = 0, imageH_ = 0;
};

}  // namespace tessel
