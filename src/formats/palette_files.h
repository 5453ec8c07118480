#pragma once
#include <cstdint>
#include <string>

#include "image/image32.h"

namespace tessel {

constexpr int kPaletteTabs = 10;
constexpr int kPaletteColours = 1024;
constexpr uint32_t kPaletteEmpty = 0x00FFFFFF;   // what a slot without a colour holds
constexpr char kPaletteSetMagic[6] = {'T', 'S', 'L', 'P', 'L', 'D'};
constexpr char kPaletteFileMagic[6] = {'T', 'S', 'L', 'P', 'A', 'L'};

// The palette panel's tabs, colours 0x00RRGGBB.
struct PaletteSet {
  int tabCount = 0;
  uint32_t colours[kPaletteTabs][kPaletteColours];
  bool changed = false;

  PaletteSet() { clear(); }
  void clear();
  void clearTab(int tab);
};

// "palette.dat": all tabs. A missing or damaged file leaves the set empty.
bool loadPaletteSet(const std::string& path, PaletteSet& set);
// Writes only when the set is marked changed (true when nothing needed writing).
bool savePaletteSet(const std::string& path, PaletteSet& set);

// One tab from a "tpl" or "aco" file (by extension, any case); the tab keeps
// its colours unless the whole file reads.
bool importPaletteFile(const std::string& path, PaletteSet& set, int tab);
// One tab as a "tpl" file with all 1024 entries.
bool exportPaletteFile(const std::string& path, const PaletteSet& set, int tab);
// The image's distinct colours, at most 1024, into one tab.
bool paletteFromImage(const Image32& image, PaletteSet& set, int tab);
// The same from an image file through the generic image loader.
bool paletteFromImage(const std::string& path, PaletteSet& set, int tab);

}  // namespace tessel
