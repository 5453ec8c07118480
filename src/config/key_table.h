#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "config/tool_env.h"

namespace tessel {

// Keyboard assignments (key.dat): one entry per item of every group (65 in
// all), each assignment id << 8 | virtual key, where the id is group * 32 +
// item and key 0 means none.
class KeyTable {
 public:
  static constexpr int kGroupCount = 6;
  static constexpr std::array<int, kGroupCount> kGroupSizes{kToolCount, 10, 7, 11, 10, 8};
  static constexpr int kEntryCount = [] {
    int n = 0;
    for (int size : kGroupSizes) n += size;
    return n;
  }();
  // Groups in the order the key dialog lists them.
  static constexpr std::array<int, kGroupCount> kDialogOrder{0, 1, 2, 5, 3, 4};

  KeyTable() { reset(); }
  void reset();

  const std::array<uint16_t, kEntryCount>& entries() const { return entries_; }
  // The virtual key assigned to an item, 0 for none or an unknown item.
  uint8_t keyFor(int group, int item) const;
  bool assign(int group, int item, uint8_t virtualKey);

  // Reads over the preset table; a missing file leaves every key unassigned.
  bool load(const std::string& path);
  bool save(const std::string& path) const;
  // The same on bytes.
  void parse(const uint8_t* data, size_t size);
  std::string serialise() const;

 private:
  int indexOf(int group, int item) const;
  std::array<uint16_t, kEntryCount> entries_{};
};

}  // namespace tessel
