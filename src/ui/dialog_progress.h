#pragma once
#include <QMetaObject>
#include <QPointer>
#include <QProgressDialog>
#include <atomic>

#include "image/progress.h"

namespace tessel {

// Progress reported from the worker thread: posted to the dialog, which takes
// it on its own thread. Cancel is read back through an atomic.
class DialogProgress : public Progress {
 public:
  explicit DialogProgress(QProgressDialog* dialog) : dialog_(dialog) {}
  void setRange(int steps) override {
    QMetaObject::invokeMethod(dialog_, [d = dialog_, steps] {
      if (d) d->setRange(0, steps);
    }, Qt::QueuedConnection);
  }
  void step() override { setPosition(++steps_); }
  void setPosition(int position) override {
    steps_ = position;
    QMetaObject::invokeMethod(dialog_, [d = dialog_, position] {
      if (d && !d->wasCanceled()) d->setValue(position);
    }, Qt::QueuedConnection);
  }
  bool cancelled() const override { return cancelled_.load(std::memory_order_relaxed); }
  void cancel() { cancelled_ = true; }

 private:
  QPointer<QProgressDialog> dialog_;
  std::atomic<int> steps_{0};
  std::atomic<bool> cancelled_{false};
};

}  // namespace tessel
