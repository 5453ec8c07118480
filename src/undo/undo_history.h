#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "document/undo_recorder.h"
#include "image/geometry.h"
#include "undo/undo_payload.h"

namespace tessel {

class Document;
struct Layer;

enum class UndoKind : uint16_t {
  PixelRect = 0,
  AllLayers = 1,
  FlipHorizontal = 2,
  FlipVertical = 3,
  RotateLeft = 4,
  RotateRight = 5,
  LayerDeleted = 6,
  LayerAdded = 7,
  LayerMovedDown = 8,
  LayerMovedUp = 9,
  LayersMerged = 10,
  LayersUnmerged = 11,
  LayerMovedTo = 12,
};

constexpr int kDefaultUndoCnt = 30;
constexpr size_t kUndoFileThreshold = 0x100000;   // larger payloads go to disk first
constexpr size_t kLayerBlockHeader = 42;

struct UndoRecord {
  UndoKind kind = UndoKind::PixelRect;
  // Layer index; for merges the number of layers; for AllLayers the layer count.
  int16_t layerIndex = 0;
  int16_t tempFileNumber = -1;   // -1: payload in memory, or none
  // Pixel rectangle; whole-image kinds hold the canvas; LayerMovedTo its target in x.
  Rect rect;
  std::unique_ptr<uint8_t[]> memory;
  size_t memorySize = 0;
  // Merges: the surviving layer's position, then the gaps, as the blocks hold them.
  std::vector<int16_t> positions;
  // PixelRect: the parts of rect held, cut on the tile grid, when a step left
  // some of them as they were; empty: all of rect.
  std::vector<Rect> cells;

  bool hasPayload() const { return memory != nullptr || tempFileNumber >= 0; }
};

// The cells of the tile grid, cut to rect, where before (its top-left pixel at
// (left, top) of the canvas) and after differ; empty when all of them or
// none do, so that the whole rect is kept.
std::vector<Rect> changedCells(const Image32& before, int left, int top, const Image32& after, const Rect& rect);

// What the caller redraws after an undo or redo.
struct UndoRefresh {
  enum class Kind { None, Area, CanvasSize, Full };
  Kind kind = Kind::None;
  Rect rect;            // Area: the rectangle; CanvasSize: 0, 0, new width, new height
  int layerIndex = -1;  // Area: the layer that changed
};

// The document's bounded linear undo/redo list. Records older than the
// current one are undo steps; the slots after it hold redo data, each the
// opposite of the record before it. Also carries the modified flag.
class UndoHistory : public UndoRecorder {
 public:
  UndoHistory(Document& doc, std::filesystem::path tempFolder, int undoCnt = kDefaultUndoCnt);
  ~UndoHistory() override;
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  // At most undoCnt records while recording, one more while undoing.
  void setUndoCnt(int undoCnt);
  int undoCnt() const { return undoCnt_; }
  void setTempFolder(const std::filesystem::path& folder) { files_.setFolder(folder); }
  std::filesystem::path tempFilePath(int number) const { return files_.pathOf(number); }
  TempFileStore& tempFiles() { return files_; }
  // Payloads estimated above this many bytes try a temporary file first.
  void setFileThreshold(size_t bytes) { fileThreshold_ = bytes; }

  void recordPixelRect(const Rect& rect) override;
  void recordPixelRectOf(const Image32& image, const Rect& rect) override;
  void recordPixelRectFrom(const Image32& pixels, int left, int top, const Rect& rect) override;
  void recordCurrentLayer() override;
  void recordAllLayers() override;
  void recordFlip(bool vertical) override;
  void recordRotation(bool counterClockwise) override;
  void recordLayerAdded() override;
  void recordLayerDeleted() override;
  void recordLayerMoved(bool down) override;
  void recordLayerMovedTo(int oldIndex) override;
  void recordLayersMerged(const std::vector<int32_t>& indexAndGaps) override;

  // True when a step was taken; refresh says what to redraw.
  bool undo(UndoRefresh& refresh);
  bool redo(UndoRefresh& refresh);
  bool canUndo() const { return current_ >= 0; }
  bool canRedo() const { return current_ + 2 < recordCount(); }

  // Drops every record and payload; counters and the modified flag go to 0.
  void clear();
  bool modified() const { return modified_; }
  // The save path calls this after a successful save.
  void clearModified() { modified_ = false; }

  int recordCount() const { return int(records_.size()); }
  int undoCount() const { return current_ + 1; }
  int redoCount() const { return canRedo() ? recordCount() - current_ - 2 : 0; }
  // Position of the current record in the list, -1 when nothing is left to undo.
  int currentPosition() const { return current_; }
  const UndoRecord* record(int position) const;

 private:
  // The append rule; null when no record could be allocated.
  UndoRecord* append(bool adding);
  void dropPayload(UndoRecord& r);
  void dropRecordAt(size_t position);

  // Capturing payloads from the document (undo_capture.cpp).
  // rect's pixels from source, whose top-left pixel lies at (left, top) of the canvas.
  void capturePixels(UndoRecord& r, const Image32& source, int left = 0, int top = 0);
  void captureAllLayers(UndoRecord& r);
  void captureLayerBlocks(UndoRecord& r, const std::vector<int>& layers,
                          const std::vector<int16_t>& fields, const std::vector<int16_t>& gaps);
  void captureMerged(UndoRecord& r, int bottomIndex, const std::vector<int16_t>& gaps);
  void captureUnmerged(UndoRecord& r, int survivorIndex, const std::vector<int16_t>& gaps);
  // Heap block or temporary file by estimated size; the writer fills either.
  void storePayload(UndoRecord& r, size_t estimate, const std::function<void(PayloadSink&)>& write);
  bool storeInFile(UndoRecord& r, const std::function<void(PayloadSink&)>& write);
  bool storeInMemory(UndoRecord& r, size_t estimate,
                     const std::function<void(PayloadSink&)>& write);
  void buildOpposite(const UndoRecord& from, UndoRecord& to);

  // Replaying a record onto the document (undo_apply.cpp).
  void apply(const UndoRecord& r, UndoRefresh& refresh);
  bool openSource(const UndoRecord& r, FilePtr& file, std::unique_ptr<PayloadSource>& source);
  void applyPixelRect(const UndoRecord& r, PayloadSource& in, UndoRefresh& refresh);
  void applyAllLayers(const UndoRecord& r, PayloadSource& in, UndoRefresh& refresh);
  void applyTransform(const UndoRecord& r, UndoRefresh& refresh);
  void applyLayerDeleted(PayloadSource& in);
  void applyLayersMerged(const UndoRecord& r, PayloadSource& in);
  void applyLayersUnmerged(const UndoRecord& r, PayloadSource& in);
  void applyLayerMove(const UndoRecord& r);

  Document& doc_;
  TempFileStore files_;
  int undoCnt_;
  size_t fileThreshold_ = kUndoFileThreshold;
  std::deque<std::unique_ptr<UndoRecord>> records_;   // oldest first
  int current_ = -1;
  bool modified_ = false;
};

}  // namespace tessel
