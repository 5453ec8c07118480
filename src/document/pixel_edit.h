#pragma once
#include "image/geometry.h"
#include "image/image32.h"

namespace tessel {

class Document;
struct Layer;

// One undoable change of the current layer's pixels: the edit holds the
// backup, the caller changes pixels, and commit records one PixelRect step of
// the changed area from the backup. An edit that is cancelled puts the backup
// back; one that is neither committed nor cancelled records nothing.
class PixelEdit {
 public:
  // Backs up area (cut to the canvas) of the current layer.
  PixelEdit(Document& doc, const Rect& area);
  // Adopts a whole-layer backup the caller holds and keeps alive (a stroke's
  // layer backup); the area starts empty and grows by extend().
  PixelEdit(Document& doc, const Image32& layerBackup);
  PixelEdit(const PixelEdit&) = delete;
  PixelEdit& operator=(const PixelEdit&) = delete;
  ~PixelEdit() = default;

  // The backup could be had.
  bool ok() const { return ok_; }
  const Rect& area() const { return area_; }

  // Grows the changed area (cut to the canvas). An edit that holds its own
  // backup copies the new part from the layer, so call it before changing
  // those pixels.
  void extend(const Rect& r);
  // Records the step; false, recording nothing, when the area is empty, no
  // pixel in it changed, the backup is missing or the edit has ended.
  bool commit();
  // Puts the backup of the area back into the layer; records nothing.
  void cancel();

 private:
  bool backupHolds(const Rect& r) const;
  bool areaChanged() const;

  Document& doc_;
  Layer* layer_;
  Image32 own_;                       // the first form's backup of area_
  const Image32* backup_ = nullptr;   // own_ or the caller's
  int left_ = 0, top_ = 0;            // canvas position of the backup's top-left pixel
  Rect area_;
  bool ok_ = false;
  bool ended_ = false;
};

}  // namespace tessel
