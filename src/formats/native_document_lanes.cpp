#include "formats/native_document_lanes.h"

namespace tessel {

JobLanes::~JobLanes() {
  if (!helper_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  helper_.join();
}

bool JobLanes::start() {
  try {
    helper_ = std::thread([this] { helperLoop(); });
  } catch (...) {
    return false;   // no thread: the caller works alone
  }
  return true;
}

void JobLanes::publish(int job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_[size_t(job % kSlots)] = false;
    published_ = job + 1;
  }
  changed_.notify_all();
}

bool JobLanes::isDone(int job) {
  std::lock_guard<std::mutex> lock(mutex_);
  return job < claimed_ && done_[size_t(job % kSlots)];
}

bool JobLanes::runOne() {
  int job;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (claimed_ >= published_) return false;
    job = claimed_++;
  }
  run_(job);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_[size_t(job % kSlots)] = true;
  }
  changed_.notify_all();
  return true;
}

void JobLanes::waitFor(int job) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return job < claimed_ && done_[size_t(job % kSlots)]; });
}

void JobLanes::rewind(int job) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] {
    for (int j = job; j < claimed_; ++j)
      if (!done_[size_t(j % kSlots)]) return false;
    return true;
  });
  published_ = claimed_ = job;
}

void JobLanes::helperLoop() {
  for (;;) {
    int job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || claimed_ < published_; });
      if (stop_) return;
      job = claimed_++;
    }
    run_(job);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_[size_t(job % kSlots)] = true;
    }
    changed_.notify_all();
  }
}

}  // namespace tessel
