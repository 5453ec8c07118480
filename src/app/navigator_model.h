#pragma once
#include "image/geometry.h"
#include "image/image32.h"
#include "view/canvas_view.h"

namespace tessel {


// The navigator's overview: the composite scaled to fit the panel, keeping
// its proportions, by sampling one source pixel per picture pixel, so a
// refresh costs the panel's size and not the document's.
class NavigatorModel {
 public:
  // The whole picture for a panel of panelW x panelH.
  void rebuild(const Image32& composite, int panelW, int panelH);
  // Only the picture pixels that sample imageRect of the composite.
  void update(const Image32& composite, const Rect& imageRect);
  const Image32& picture() const { return picture_; }
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

  Image32 picture_;
  int offX_ = 0, offY_ = 0;
  int imageW_ = 0, imageH_ = 0;
};

}  // namespace tessel
