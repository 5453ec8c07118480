#pragma once
#include <cstdint>

namespace tessel {

// The virtual-key code key.dat stores for a Qt key; 0 when it has none.
uint8_t virtualKeyFor(int qtKey, bool keypad);

}  // namespace tessel
