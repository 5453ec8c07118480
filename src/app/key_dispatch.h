#pragma once
#include <cstdint>
#include <optional>
#include <span>

namespace tessel {

class Document;

// The keys the main window handles before the key-binding table.
enum class Key { Left, Up, Right, Down, Insert, Delete, Other };

struct FixedKeyAction {
  enum Kind { None, ShiftLayer, Command } kind = None;
  int dx = 0, dy = 0;   // ShiftLayer
  int command = 0;      // Command
};

// Ctrl+arrows shift the current layer; Insert and Delete reach the selection
// fill and erase commands. Anything else falls through to the key bindings.
FixedKeyAction fixedKeyAction(Key key, bool ctrl);

// An entry of the key-binding table: the virtual key in the low byte, the
// index in bits 8-12 and the category in bits 13-15.
struct KeyBinding {
  int category = 0;
  int index = 0;
};
// The first entry bound to the virtual key; key 0 is never bound.
std::optional<KeyBinding> findKeyBinding(std::span<const uint16_t> table, uint8_t virtualKey);

// The command a binding of category 2 (view commands) or 5 (panels) runs;
// 0 for the categories that belong to the drawing tools.
int commandForBinding(const KeyBinding& binding);

// Shifts the whole current layer one pixel; the uncovered column or row
// becomes transparent. One whole-layer undo step when a pixel changed; false,
// with the layer untouched, when no backup for it can be had.
bool shiftCurrentLayer(Document& document, int dx, int dy);

}  // namespace tessel
