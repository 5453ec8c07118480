#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "document/blend_modes.h"
#include "document/layer_list.h"
#include "document/undo_recorder.h"
#include "image/band_copy.h"
#include "image/image32.h"
#include "image/progress.h"
#include "image/size_limits.h"
#include "image/tiled_image.h"

namespace tessel {

enum class Visibility { AllVisible = 0, AllHidden = 1, OnlyCurrent = 2 };

// The open drawing: canvas size, layer stack, current layer and the working
// buffers painting and display need. Layer indices count from the top.
class Document {
 public:
  Document();

  int width() const { return width_; }
  int height() const { return height_; }
  Rect canvasRect() const { return {0, 0, width_, height_}; }
  LayerList& layers() { return layers_; }
  const LayerList& layers() const { return layers_; }
  int layerCount() const { return layers_.count(); }
  int currentIndex() const { return currentIndex_; }
  Layer* currentLayer() const { return current_; }
  BlendTable& blendTable() { return blend_; }

  Image32 composite;     // visible layers over the background
  Image32 strokeBuffer;  // a stroke in progress
  Image32 layerBackup;   // the current layer as the operation in progress found it
  BandCopy backupBands;  // what of layerBackup a stroke has taken so far
  BandCopy strokeBands;  // what of strokeBuffer a stroke has cleared so far
  int zoom = 100;

  // Null means nothing is recorded.
  void setRecorder(UndoRecorder* recorder) { recorder_ = recorder ? recorder : &nullRecorder_; }
  UndoRecorder& recorder() { return *recorder_; }

  // Everything is allocated before the old image is dropped, so on failure
  // the document stays as it was.
  bool newImage(int width, int height, bool withLayer);
  bool resizeCanvasBuffers(int width, int height);
  // The current layer is made flat when its pixels are first asked for; the
  // others keep only their tiles.
  void selectLayer(int index);
  // Every layer but the current one keeps its pixels in tiles.
  void parkIdleLayers();
  // Memory the pixels of the document hold now.
  size_t pixelBytes() const;
  // Every layer's new pixels from make(old pixels, new image), each put into
  // tiles as soon as made, an idle layer read through a passing flat copy:
  // whole-document changes need memory for the painted tiles and two flat
  // images, not for every layer twice. False when make or memory fails; the
  // document is then unchanged. adoptLayers swaps them in, layers parked.
  bool remakeLayers(const std::function<bool(const Image32&, Image32&)>& make, std::vector<TiledImage>& made,
                    Progress* progress = nullptr) const;
  void adoptLayers(std::vector<TiledImage>& made);

  // Layer operations record their undo step; a RecorderMute silences them.
  bool newLayer(bool copy);
  bool deleteLayer();
  bool mergeDown();
  bool mergeVisible(bool keepTransparency);
  bool mergeIntoNewLayer();
  bool moveUp();
  bool moveDown();
  bool moveTo(int index);
  void setBlendMode(int mode);
  void setOpacityPercent(int percent);
  void setMaskMode(int mode);
  void toggleVisible(int index);
  void toggleFillReference(int index);
  void setVisibility(Visibility mode);
  int visibleCount() const;

  // All visible layers into target at canvas size. With keepAlpha the target
  // starts transparent black and layers go through the alpha-aware compositor;
  // without it it starts opaque white with the opaque compositor. One progress
  // step per layer, visible or not.
  bool flatten(Image32& target, Progress* progress, bool keepAlpha);

  // Recomposites rect of the composite buffer over the given background.
  void recomposite(const Rect& rect, bool checker, Pixel checkColour1, Pixel checkColour2);
  // The union of the rectangles recomposited since its reader (the navigator,
  // which rescales only that part) last cleared it.
  Rect recomposited;
  Pixel pickComposite(int x, int y) const;

 private:
  bool allocateCanvasBuffers(int width, int height, Image32& composite, Image32& stroke,
                             Image32& backup);
  Layer* addLayerAbove(Layer* reference);

  int width_ = 0;
  int height_ = 0;
  LayerList layers_;
  int currentIndex_ = 0;
  Layer* current_ = nullptr;
  BlendTable blend_;
  UndoRecorder nullRecorder_;
  UndoRecorder* recorder_ = &nullRecorder_;
};

// Silences the document's undo recorder while it lives: replays of the undo
// history and set-up work that is not a user's step.
class RecorderMute {
 public:
  explicit RecorderMute(Document& doc) : doc_(doc), saved_(&doc.recorder()) { doc.setRecorder(nullptr); }
  ~RecorderMute() { doc_.setRecorder(saved_); }
  RecorderMute(const RecorderMute&) = delete;
  RecorderMute& operator=(const RecorderMute&) = delete;

 private:
  Document& doc_;
  UndoRecorder* saved_;
};

}  // namespace tessel
