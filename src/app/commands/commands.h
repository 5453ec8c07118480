#pragma once
#include <cstdint>

#include "app/commands/command_ids.h"

namespace tessel {


// Panels whose contents exist; the others keep their bit in WinViewFlag but
// show no window, and their toggle commands stay disabled until they are built.
bool panelBuilt(int panel);

// The identifier ranges of the main window's command handler.
enum class CommandRange {
  None,          // outside every range: ignored
  ZoomPreset,    // kZoomPresetFirst-Last
  RecentFile,    // kRecentFileFirst-Last
  RecentFolder,  // kRecentFolderFirst-Last
  QuickSave,     // kQuickSaveFirst-kQuickSaveRangeLast
  MainMenu,      // kMainMenuFirst-kMainMenuLast
  Filter,        // kFilterFirst-kFilterLast
  ReplaceColour, // kReplaceColourFirst-Last
  AlphaOperation,// kAlphaOperationFirst-Last
  Cloud,         // kCloudFirst-Last
  LayerPanel,    // kLayerFirst-kLayerForwardedLast
};

CommandRange commandRange(int id);

// Commands the main window runs itself because they act on windows: panel
// toggles, hide or restore all panels, full screen, the zoom pop-up and the
// about box. True for those of them that are built.
bool windowOnlyCommand(int id);

// Whether the command has an action in this build: a row of the command
// table or a window-only command. The others are shown disabled and do nothing.
bool commandAvailable(int id);

}  // namespace tessel
