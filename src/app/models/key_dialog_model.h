#pragma once
// The key assignment dialog's list, key names and the assignment rule, kept
// out of the window so they are tested without one.
#include <cstdint>
#include <string>
#include <vector>

#include "config/key_table.h"

namespace tessel {

// One line of the list: a group heading (item -1) or an assignable entry.
struct KeyDialogRow {
  int group = 0, item = -1;
  std::string label;
};

// Groups in the order 0, 1, 2, 5, 3, 4, each heading followed by its entries.
std::vector<KeyDialogRow> keyDialogRows();
// The name of an entry (the tool, draw type, command ... it stands for).
std::string keyEntryName(int group, int item);
// How a virtual key is shown: "A", "F5", "Num 0", "Space" ...; "" for 0 and
// "0x%02X" for keys without a name.
std::string virtualKeyName(uint8_t virtualKey);

// The entry that held the key before it moved, if any.
struct KeyMove {
  bool taken = false;
  int group = 0, item = 0;
};
// Gives the key to (group, item); another entry holding it loses it, since
// one key runs one action. A key of 0 clears the entry.
KeyMove assignKey(KeyTable& keys, int group, int item, uint8_t virtualKey);
// The dialog's note when a key moved: "已从「%s」移除" with the old entry's name.
std::string keyMoveNote(const KeyMove& move);

}  // namespace tessel
