#include "app/files/autosave.h"

#include <sys/resource.h>

#include <cstring>

#include "io/file.h"
#include "formats/native_document.h"

namespace tessel {

Autosaver::Autosaver() = default;

Autosaver::~Autosaver() { wait(); }

void Autosaver::wait() {
  if (thread_.joinable()) thread_.join();
}

void Autosaver::startThread(std::function<bool()> work) {
  wait();
  done_ = false;
  thread_ = std::thread([this, work = std::move(work)] {
    // Below the user-interface thread, so input is served first on a busy
    // machine; on Linux this is the calling thread's nice value and the
    // native writer's helper thread inherits it.
    setpriority(PRIO_PROCESS, 0, 10);
    ok_ = work();
    done_ = true;
  });
}

bool Autosaver::threadDone() {
  if (!done_) return false;
  wait();
  return true;
}

bool Autosaver::begin(uint64_t changes) {
  if (path_.empty() || running() || changes == written_) return false;
  phase_ = Phase::Syncing;
  passStart_ = target_ = changes;
  passDirty_ = false;
  layer_ = row_ = 0;
  copiedRows_ = 0;
  return true;
}

void Autosaver::cancel() {
  wait();
  phase_ = Phase::Idle;
}

void Autosaver::dropCopy() {
  cancel();
  copy_.layers().clear();
  copy_.newImage(1, 1, false);
}

bool Autosaver::shapeMatches(const Document& live) const {
  return copy_.width() == live.width() && copy_.height() == live.height() &&
         copy_.layerCount() == live.layerCount();
}

void Autosaver::copyAttributes(const Document& live) {
  for (int i = 0; i < live.layerCount(); ++i) copy_.layers().atIndex(i)->copyAttributesFrom(*live.layers().atIndex(i));
  copy_.layers().setNameCounter(live.layers().nameCounter());
  copy_.selectLayer(live.currentIndex());
}

Autosaver::Step Autosaver::step(const Document& live, uint64_t changes, bool dragging,
                                std::chrono::microseconds budget) {
  switch (phase_) {
    case Phase::Idle: return Step::Idle;
    case Phase::Preparing:
      if (!threadDone()) return Step::Working;
      if (!ok_) {
        phase_ = Phase::Idle;
        return Step::Failed;
      }
      phase_ = Phase::Syncing;
      layer_ = row_ = 0;
      return Step::Working;
    case Phase::Writing:
      if (!threadDone()) return Step::Writing;
      phase_ = Phase::Idle;
      if (!ok_) return Step::Failed;
      written_ = target_;
      return Step::Written;
    case Phase::Syncing: break;
  }
  if (dragging) {
    passDirty_ = true;
    return Step::Working;
  }
  if (changes != passStart_ || passDirty_) {   // the rows compared so far may be stale
    passStart_ = target_ = changes;
    passDirty_ = false;
    layer_ = row_ = 0;
  }
  if (!shapeMatches(live)) {
    // Allocating a copy of a big canvas takes longer than a slice: off this thread.
    const int count = live.layerCount(), width = live.width(), height = live.height();
    phase_ = Phase::Preparing;
    startThread([this, count, width, height] {
      if (copy_.width() != width || copy_.height() != height) {
        copy_.layers().clear();
        if (!copy_.newImage(width, height, false)) return false;
      }
      while (copy_.layerCount() > count) copy_.layers().remove(copy_.layers().top());
      // New copies start as transparent tiles; the snapshot fills them.
      while (copy_.layerCount() < count) {
        Layer* layer = copy_.layers().add(1, 1, false);
        if (!layer || !layer->resetTransparent(width, height)) return false;
      }
      copy_.selectLayer(0);
      return true;
    });
    return Step::Working;
  }
  const auto deadline = Clock::now() + budget;
  const size_t rowBytes = size_t(live.width()) * sizeof(Pixel);
  for (; layer_ < live.layerCount(); ++layer_, row_ = 0) {
    const Layer* source = live.layers().atIndex(layer_);
    Layer* target = copy_.layers().atIndex(layer_);
    if (source->tiles()) {
      // An idle layer's tiles are shared, not copied: nothing changes them in place.
      if (!target->copyPixelsFrom(*source)) return failSync();
      continue;
    }
    const Image32& from = source->image();
    Image32& to = target->image();
    if (!to.valid()) return failSync();
    for (; row_ < live.height(); ++row_) {
      if ((row_ & 31) == 0 && Clock::now() >= deadline) return Step::Working;
      if (std::memcmp(to.row(row_), from.row(row_), rowBytes) != 0) {
        std::memcpy(to.row(row_), from.row(row_), rowBytes);
        ++copiedRows_;
      }
    }
  }
  copyAttributes(live);
  phase_ = Phase::Writing;
  startThread([this] {
    const auto start = Clock::now();
    const bool ok = writeDocument(path_, copy_, nullptr);
    lastWriteSeconds_ = std::chrono::duration<double>(Clock::now() - start).count();
    lastBytes_ = ok ? fileStamp(path_).size : 0;
    return ok;
  });
  return Step::Writing;
}

}  // namespace tessel
