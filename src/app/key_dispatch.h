#pragma once

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

// Shifts the whole current layer one pixel; the uncovered column or row
// becomes transparent. One whole-layer undo record comes first.
bool shiftCurrentLayer(Document& document, int dx, int dy);

}  // namespace tessel
