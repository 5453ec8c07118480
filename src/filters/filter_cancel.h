#pragma once
#include <atomic>

namespace tessel {

// A preview nobody waits for any more. While a scope is active on a thread,
// the filters that thread runs stop between rows once the flag is raised,
// leaving their destination half done; the caller throws that away.
inline const std::atomic<bool>*& filterCancelFlag() {
  thread_local const std::atomic<bool>* flag = nullptr;
  return flag;
}

inline bool filterCancelled(const std::atomic<bool>* flag) {
  return flag && flag->load(std::memory_order_relaxed);
}

class FilterCancelScope {
 public:
  explicit FilterCancelScope(const std::atomic<bool>* flag) : previous_(filterCancelFlag()) {
    filterCancelFlag() = flag;
  }
  ~FilterCancelScope() { filterCancelFlag() = previous_; }
  FilterCancelScope(const FilterCancelScope&) = delete;
  FilterCancelScope& operator=(const FilterCancelScope&) = delete;

 private:
  const std::atomic<bool>* previous_;
};

}  // namespace tessel
