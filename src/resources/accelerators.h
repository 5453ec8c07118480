#pragma once
#include <cstdint>
#include <span>

namespace tessel {

// One accelerator: keys written in the portable form "Ctrl+Shift+B", "Tab", "F11".
struct Accelerator {
  const char* keys;
  uint16_t id;
};

// The main window's accelerator table.
std::span<const Accelerator> acceleratorTable();
// The first accelerator of a command, or nullptr.
const char* acceleratorFor(uint16_t id);

}  // namespace tessel
