#pragma once
#include <cstdint>

namespace tessel {

// Command identifiers the main window handles itself.
namespace cmd {
constexpr int kNew = 40001;
constexpr int kOpen = 40002;
constexpr int kOpenFromClipboard = 40003;
constexpr int kSave = 40004;
constexpr int kSaveAs = 40005;
constexpr int kSavePreferred = 40012;
constexpr int kEnvSettings = 40008;
constexpr int kKeySettings = 40009;
constexpr int kPreferredSaveSettings = 40013;
constexpr int kExit = 40010;
constexpr int kRecentPlaceholder = 40011;
constexpr int kUndo = 40050;
constexpr int kRedo = 40051;
constexpr int kFillSelection = 40106;
constexpr int kEraseSelection = 40107;
constexpr int kPanelFirst = 40150;   // + panel bit, 8 panels
constexpr int kPanelLast = 40157;
constexpr int kHideAllPanels = 40160;
constexpr int kFullScreen = 40161;
constexpr int kChecker = 40162;
constexpr int kMirror = 40163;
constexpr int kGrid = 40164;
constexpr int kGridSettings = 40165;
constexpr int kZoomPopup = 40166;
constexpr int kZoomIn = 40167;
constexpr int kZoomOut = 40168;
constexpr int kHelp = 40200;
constexpr int kHomepage = 40201;
constexpr int kAbout = 40202;
constexpr int kZoomPresetFirst = 3000;
constexpr int kZoomPresetLast = 3013;
constexpr int kRecentFileFirst = 3100;
constexpr int kRecentFileLast = 3109;
constexpr int kRecentFolderFirst = 3200;
constexpr int kRecentFolderLast = 3207;
constexpr int kQuickSaveFirst = 3250;   // format index id - 3249
constexpr int kQuickSaveLast = 3254;    // formats 1-5 are built
}  // namespace cmd

// Panels whose contents exist; the others keep their bit in WinViewFlag but
// show no window, and their toggle commands stay disabled until they are built.
bool panelBuilt(int panel);

// The identifier ranges of the main window's command handler.
enum class CommandRange {
  None,          // outside every range: ignored
  ZoomPreset,    // 3000-3013
  RecentFile,    // 3100-3109
  RecentFolder,  // 3200-3207
  QuickSave,     // 3250-3259
  MainMenu,      // 40001-40202
  Filter,        // 41000-41051
  ReplaceColour, // 41800-41803
  AlphaOperation,// 41810-41813
  Cloud,         // 41820-41822
  LayerPanel,    // 42300-42312
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
