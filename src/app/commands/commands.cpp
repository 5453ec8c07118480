#include "app/commands/commands.h"

#include "app/commands/command_table.h"
#include "app/models/shell_settings.h"

namespace tessel {

CommandRange commandRange(int id) {
  struct Span {
    int first, last;
    CommandRange range;
  };
  static constexpr Span kSpans[] = {
      {cmd::kZoomPresetFirst, cmd::kZoomPresetLast, CommandRange::ZoomPreset},
      {cmd::kRecentFileFirst, cmd::kRecentFileLast, CommandRange::RecentFile},
      {cmd::kRecentFolderFirst, cmd::kRecentFolderLast, CommandRange::RecentFolder},
      {cmd::kQuickSaveFirst, cmd::kQuickSaveRangeLast, CommandRange::QuickSave},
      {cmd::kMainMenuFirst, cmd::kMainMenuLast, CommandRange::MainMenu},
      {cmd::kFilterFirst, cmd::kFilterLast, CommandRange::Filter},
      {cmd::kReplaceColourFirst, cmd::kReplaceColourLast, CommandRange::ReplaceColour},
      {cmd::kAlphaOperationFirst, cmd::kAlphaOperationLast, CommandRange::AlphaOperation},
      {cmd::kCloudFirst, cmd::kCloudLast, CommandRange::Cloud},
      {cmd::kLayerFirst, cmd::kLayerForwardedLast, CommandRange::LayerPanel},
  };
  for (const Span& s : kSpans) {
    if (id >= s.first && id <= s.last) return s.range;
  }
  return CommandRange::None;
}

bool panelBuilt(int panel) { return panel >= 0 && panel < kPanelCount; }   // every panel

bool windowOnlyCommand(int id) {
  if (id >= cmd::kPanelFirst && id <= cmd::kPanelLast) return panelBuilt(id - cmd::kPanelFirst);
  return id == cmd::kHideAllPanels || id == cmd::kFullScreen || id == cmd::kZoomPopup ||
         id == cmd::kAbout;
}

bool commandAvailable(int id) { return findCommand(id) != nullptr || windowOnlyCommand(id); }

}  // namespace tessel
