#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "document/document.h"
#include "document/undo_recorder.h"

namespace tessel {

// Counts every change the document reports to its undo recorder, then
// passes the call on. Undo and redo add to the count through bump().
class ChangeCounter : public UndoRecorder {
 public:
  void setTarget(UndoRecorder* target) { target_ = target ? target : &none_; }
  uint64_t count() const { return count_; }
  void bump() { ++count_; }

  void recordPixelRect(const Rect& r) override { ++count_, target_->recordPixelRect(r); }
  void recordPixelRectOf(const Image32& i, const Rect& r) override { ++count_, target_->recordPixelRectOf(i, r); }
  void recordPixelRectFrom(const Image32& p, int l, int t, const Rect& r) override {
    ++count_, target_->recordPixelRectFrom(p, l, t, r);
  }
  void recordCurrentLayer() override { ++count_, target_->recordCurrentLayer(); }
  void recordAllLayers() override { ++count_, target_->recordAllLayers(); }
  void recordFlip(bool v) override { ++count_, target_->recordFlip(v); }
  void recordRotation(bool ccw) override { ++count_, target_->recordRotation(ccw); }
  void recordLayerAdded() override { ++count_, target_->recordLayerAdded(); }
  void recordLayerDeleted() override { ++count_, target_->recordLayerDeleted(); }
  void recordLayerMoved(bool down) override { ++count_, target_->recordLayerMoved(down); }
  void recordLayerMovedTo(int old) override { ++count_, target_->recordLayerMovedTo(old); }
  void recordLayersMerged(const std::vector<int32_t>& g) override { ++count_, target_->recordLayersMerged(g); }

 private:
  UndoRecorder none_;
  UndoRecorder* target_ = &none_;
  uint64_t count_ = 0;
};

// Keeps a private copy of the document and writes it to the recovery file on
// a thread of its own. The copy is brought up to date on the user-interface
// thread in short slices: rows are compared and only rows that differ are
// copied, so after the first run an autosave copies what changed. A pass is
// taken as a snapshot only when no change and no drag happened while it ran;
// otherwise it starts again.
class Autosaver {
 public:
  using Clock = std::chrono::steady_clock;
  Autosaver();
  ~Autosaver();
  Autosaver(const Autosaver&) = delete;
  Autosaver& operator=(const Autosaver&) = delete;

  // Where the native file goes; empty switches writing off.
  void setTarget(const std::string& recoveryPath) { path_ = recoveryPath; }
  const std::string& target() const { return path_; }

  enum class Step { Idle, Working, Writing, Written, Failed };
  // Starts a run (only when changes differs from the count last written).
  bool begin(uint64_t changes);
  bool running() const { return phase_ != Phase::Idle; }
  // Work is under way on the other thread (nothing for slices to do).
  bool waitingForThread() const { return phase_ == Phase::Preparing || phase_ == Phase::Writing; }
  // One slice of at most `budget` on the calling thread. changes is the
  // document's change count now; dragging says a gesture is in progress.
  Step step(const Document& live, uint64_t changes, bool dragging,
            std::chrono::microseconds budget = std::chrono::microseconds(8000));
  // Drops a run in progress (the document was replaced or saved); a write
  // already under way finishes first.
  void cancel();
  // The document's changes up to `changes` are in a saved file: nothing to autosave.
  void markWritten(uint64_t changes) { written_ = changes; }
  uint64_t writtenCount() const { return written_; }
  // Frees the copy (after a document was replaced).
  void dropCopy();
  // Waits for a write in progress.
  void wait();

  // What the last run did.
  int64_t lastBytes() const { return lastBytes_; }
  double lastWriteSeconds() const { return lastWriteSeconds_; }
  int64_t copiedRows() const { return copiedRows_; }

 private:
  enum class Phase { Idle, Preparing, Syncing, Writing };
  void startThread(std::function<bool()> work);
  bool threadDone();
  bool shapeMatches(const Document& live) const;
  void copyAttributes(const Document& live);
  Step failSync() {   // memory ran out while copying: the run ends, the document is untouched
    phase_ = Phase::Idle;
    return Step::Failed;
  }

  std::string path_;
  Document copy_;
  Phase phase_ = Phase::Idle;
  uint64_t written_ = 0;
  uint64_t passStart_ = 0;
  uint64_t target_ = 0;
  bool passDirty_ = false;
  int layer_ = 0, row_ = 0;
  int needLayers_ = 0, needWidth_ = 0, needHeight_ = 0;
  std::thread thread_;
  std::atomic<bool> done_{false};
  bool ok_ = false;
  int64_t lastBytes_ = 0;
  double lastWriteSeconds_ = 0;
  int64_t copiedRows_ = 0;
};

}  // namespace tessel
