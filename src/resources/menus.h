#pragma once
#include <cstdint>
#include <span>

namespace tessel {

enum class MenuKind : uint8_t { Popup, Item, Separator, End };

// One line of a menu tree: a Popup opens a submenu that the matching End
// closes. Labels are UTF-8 and carry no accelerator text.
struct MenuEntry {
  MenuKind kind;
  uint16_t id;
  const char* label;
};

// The main window's menu bar.
std::span<const MenuEntry> mainMenu();
// The layer panel's own menu (42300-42316).
std::span<const MenuEntry> layerPanelMenu();

// Tool bar zoom presets in percent, commands 3000 + index.
std::span<const int> zoomPresets();

}  // namespace tessel
