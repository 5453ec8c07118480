#include "app/key_dispatch.h"

#include <algorithm>
#include <cstring>

#include "app/commands/commands.h"
#include "document/document.h"
#include "document/pixel_edit.h"

namespace tessel {

FixedKeyAction fixedKeyAction(Key key, bool ctrl) {
  FixedKeyAction a;
  if (ctrl) {
    a.kind = FixedKeyAction::ShiftLayer;
    switch (key) {
      case Key::Left: a.dx = -1; return a;
      case Key::Right: a.dx = 1; return a;
      case Key::Up: a.dy = -1; return a;
      case Key::Down: a.dy = 1; return a;
      default: break;
    }
    a.kind = FixedKeyAction::None;
  }
  if (key == Key::Insert || key == Key::Delete) {
    a.kind = FixedKeyAction::Command;
    a.command = key == Key::Insert ? cmd::kFillSelection : cmd::kEraseSelection;
  }
  return a;
}

std::optional<KeyBinding> findKeyBinding(std::span<const uint16_t> table, uint8_t virtualKey) {
  if (virtualKey == 0) return std::nullopt;
  for (uint16_t entry : table) {
    if ((entry & 0xFF) == virtualKey) return KeyBinding{entry >> 13, (entry >> 8) & 0x1F};
  }
  return std::nullopt;
}

int commandForBinding(const KeyBinding& binding) {
  // undo, redo, zoom in, zoom out, 100 %, mirrored canvas, hide or show all panels
  static constexpr int kViewCommands[] = {cmd::kUndo, cmd::kRedo, cmd::kZoomIn, cmd::kZoomOut,
                                          cmd::kZoomPresetFirst + 3, cmd::kMirror, cmd::kHideAllPanels};
  if (binding.category == 2 && binding.index >= 0 && binding.index < 7) return kViewCommands[binding.index];
  if (binding.category == 5 && binding.index >= 0 && binding.index < 8) return cmd::kPanelFirst + binding.index;
  return 0;
}

bool shiftCurrentLayer(Document& document, int dx, int dy) {
  Layer* layer = document.currentLayer();
  if (!layer || !layer->image().valid() || (dx == 0 && dy == 0)) return false;
  if (dx < -1 || dx > 1 || dy < -1 || dy > 1) return false;
  // Without a backup there would be no undo step: the layer stays put.
  PixelEdit edit(document, document.canvasRect());
  if (!edit.ok()) return false;
  Image32& img = layer->image();
  const int w = img.width(), h = img.height();
  if (dx != 0) {
    for (int y = 0; y < h; ++y) {
      Pixel* row = img.row(y);
      if (dx > 0) {
        std::memmove(row + 1, row, size_t(w - 1) * sizeof(Pixel));
        row[0] = kTransparent;
      } else {
        std::memmove(row, row + 1, size_t(w - 1) * sizeof(Pixel));
        row[w - 1] = kTransparent;
      }
    }
  }
  if (dy > 0) {
    for (int y = h - 1; y > 0; --y) std::memcpy(img.row(y), img.row(y - 1), size_t(w) * sizeof(Pixel));
    std::fill(img.row(0), img.row(0) + w, kTransparent);
  } else if (dy < 0) {
    for (int y = 0; y < h - 1; ++y) std::memcpy(img.row(y), img.row(y + 1), size_t(w) * sizeof(Pixel));
    std::fill(img.row(h - 1), img.row(h - 1) + w, kTransparent);
  }
  edit.commit(PixelEdit::Unchanged::Record);
  return true;
}

}  // namespace tessel
