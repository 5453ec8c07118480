#pragma once
#include <cstdint>

#include "config/settings.h"
#include "image/geometry.h"
#include "view/canvas_view.h"

namespace tessel {

constexpr int kPanelCount = 8;

// Panel numbers: the bit of each panel in WinViewFlag.
enum Panel : int {
  kToolsPanel = 0,
  kToolOptionsPanel,
  kLayerPanel,
  kPalettePanel,
  kExtendedPalettePanel,
  kTexturePanel,
  kNavigatorPanel,
  kImageViewerPanel,
};

// Inclusive corners (left, top, right, bottom) as stored in the settings.
struct StoredRect {
  int left = kNeverPlaced, top = kNeverPlaced, right = 0, bottom = 0;
};

// The window and view settings the shell works with, in the shapes the view
// and the windows use; filled from Settings at start-up and written back at exit.
struct ShellSettings {
  // [Window]
  StoredRect main{kNeverPlaced, 0, 500, 400};
  int mainShowCmd = 3;
  Point toolPos{kNeverPlaced, kNeverPlaced};
  Point ctlPos{kNeverPlaced, kNeverPlaced};
  Point layerPos{kNeverPlaced, kNeverPlaced};
  int layerHeight = 290;
  StoredRect texture, palette, navigator, imageViewer;
  Point exPalPos{kNeverPlaced, kNeverPlaced};
  // [Env]
  uint32_t winViewFlag = 31;
  uint32_t viewBkFlag = 1;
  uint32_t optFlag = 58;
  uint32_t tabletFlag = 1;
  int defImgW = 300;
  int defImgH = 300;
  int infoBarPos = 1;
  ViewOptions view;   // ExViewFlag, colours, grid, zoom steps
};

void shellSettingsFrom(const Settings& settings, const WindowPlacement& placement, ShellSettings& out);
void storeShellSettings(const ShellSettings& in, Settings& settings, WindowPlacement& placement);

}  // namespace tessel
