#include "app/commands.h"

#include "app/command_table.h"

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

bool panelBuilt(int panel) { return panel == 0 || panel == 1; }   // tools, tool options

bool commandAvailable(int id) {
  switch (commandRange(id)) {
    case CommandRange::ZoomPreset:
    case CommandRange::RecentFile:
    case CommandRange::RecentFolder:
      return true;
    case CommandRange::QuickSave:
      return id <= 3254;   // formats 1-5
    default:
      break;
  }
  if (id >= cmd::kPanelFirst && id <= cmd::kPanelLast) return panelBuilt(id - cmd::kPanelFirst);
  if (selectionCommandAvailable(id)) return true;
  switch (id) {
    case 40001:   // new, open, open from clipboard, save, save as, preferred save
    case 40002:
    case 40003:
    case 40004:
    case 40005:
    case 40012:
    case cmd::kExit:
    case cmd::kUndo:
    case cmd::kRedo:
    case cmd::kHideAllPanels:
    case cmd::kFullScreen:
    case cmd::kChecker:
    case cmd::kMirror:
    case cmd::kGrid:
    case cmd::kGridSettings:
    case cmd::kZoomPopup:
    case cmd::kZoomIn:
    case cmd::kZoomOut:
    case cmd::kHelp:
    case cmd::kAbout:
      return true;
    default:
      return false;
  }
}

}  // namespace tessel
