#include "app/commands.h"

#include "app/command_table.h"
#include "app/shell_settings.h"

namespace tessel {

CommandRange commandRange(int id) {
  struct Span {
    int first, last;
    CommandRange range;
  };
  static constexpr Span kSpans[] = {
      {3000, 3013, CommandRange::ZoomPreset},     {3100, 3109, CommandRange::RecentFile},
      {3200, 3207, CommandRange::RecentFolder},   {3250, 3259, CommandRange::QuickSave},
      {40001, 40202, CommandRange::MainMenu},     {41000, 41051, CommandRange::Filter},
      {41800, 41803, CommandRange::ReplaceColour}, {41810, 41813, CommandRange::AlphaOperation},
      {41820, 41822, CommandRange::Cloud},        {42300, 42312, CommandRange::LayerPanel},
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
