#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/palette_files.h"
#include "image/image32.h"

namespace tessel {

struct DrawSettings;

// A grid of colour cells: cell size, columns and a one-pixel gap.
struct SwatchLayout {
  int cellW = 12, cellH = 12;
  int columns = 1;
  // The cell under (x, y), or -1.
  int indexAt(int x, int y, int count) const;
  Rect cellRect(int index) const;
  int heightFor(int count) const;
};

// Draws count colours (0x00RRGGBB) as cells on a grey ground; `marked`
// gets a frame. The image is recreated at width x the height the cells need.
void drawSwatches(Image32& out, int width, const uint32_t* colours, int count,
                  const SwatchLayout& layout, int marked);

// The extended palette's grids by type (0 "HLS (L+S)", 1 "HSV (鲜)",
// 2 "HSV (淡)"; others as 0), row by row, with their column count.
std::vector<uint32_t> exPaletteSwatches(int type, int& columns);
constexpr int kExPaletteTypes = 3;

// The palette panel without its window: tabs of up to 1024 colours, a click
// picks into the current drawing colour, and the file actions. Failed file
// actions leave the tab as it was.
class PaletteModel {
 public:
  using TabNames = std::array<std::string, kPaletteTabs>;
  // names: where the tab names are kept (the settings); null keeps none.
  PaletteModel(PaletteSet& set, DrawSettings& draw, TabNames* names = nullptr)
      : set_(set), draw_(draw), names_(names) {}

  int tab() const { return tab_; }
  void selectTab(int tab);
  int tabCount() const { return set_.tabCount; }
  // Used cells of the current tab: up to the last non-empty one.
  int usedCount() const;
  const uint32_t* colours() const { return set_.colours[tab_]; }

  // The cell's colour into the current drawing colour (with other, into the
  // one that is not current); false for an empty cell.
  bool pick(int index, bool other = false);
  // The current drawing colour into the first empty cell (a first tab is
  // made when none exists); false when the tab is full.
  bool addCurrent();
  // Removes the cell, moving the later ones down.
  bool remove(int index);
  bool addTab();
  // Removes the current tab; the later tabs and their names move down.
  bool removeTab();
  // The tab's name, its number from 1 when it has none.
  std::string tabName(int tab) const;
  // Line breaks become blanks and the name is cut to 31 bytes, never inside
  // a character; an empty name gives the tab its number back.
  bool renameTab(int tab, const std::string& name);

  bool importFile(const std::string& path);
  bool exportFile(const std::string& path) const;
  bool fromImage(const std::string& path);

 private:
  bool ensureTab();

  PaletteSet& set_;
  DrawSettings& draw_;
  TabNames* names_;
  int tab_ = 0;
};

}  // namespace tessel
