// The View menu and the tool bar's zoom buttons. Panel toggles, hide-all,
// full screen and the zoom pop-up act on windows and stay with the window.
#include "app/application.h"
#include "app/commands/command_table.h"
#include "app/commands/commands.h"
#include "resources/menus.h"

namespace tessel {
namespace {

void zoomPreset(Application& app, Shell&, int id) {
  app.view.setZoom(zoomPresets()[size_t(id - cmd::kZoomPresetFirst)]);
}
void zoomIn(Application& app, Shell&, int) { app.view.zoomStep(true); }
void zoomOut(Application& app, Shell&, int) { app.view.zoomStep(false); }
void toggleMirror(Application& app, Shell&, int) { app.view.toggleMirror(); }

// The checkerboard lies under the layers: the canvas is recomposited.
void toggleChecker(Application& app, Shell&, int) {
  app.settings.view.flags ^= view_flag::kChecker;
  app.view.refreshAll();
}

// The grid is drawn over the composite: the view is only rendered again.
void toggleGrid(Application& app, Shell&, int) {
  app.settings.view.flags ^= view_flag::kGrid;
  app.view.renderOnly();
}

void gridSettings(Application& app, Shell& shell, int) {
  ViewOptions& v = app.settings.view;
  GridSettings grid{v.gridW, v.gridH, v.gridPixelPer, (v.centreGridColour & 0x80000000u) != 0};
  if (!shell.askGridSettings(grid)) return;
  v.gridW = grid.width;
  v.gridH = grid.height;
  v.gridPixelPer = grid.pixelPer;
  v.centreGridColour = (v.centreGridColour & 0xFFFFFF) | (grid.centreCross ? 0x80000000u : 0u);
  // Redrawn when a grid is visible: the grid itself or the pixel grid of a high zoom.
  if ((v.flags & view_flag::kGrid) || app.view.zoom() >= v.gridPixelPer * 100) app.view.renderOnly();
}

template <uint32_t flag>
bool viewFlag(const Application& app) { return (app.settings.view.flags & flag) != 0; }

constexpr Command kRows[] = {
    {cmd::kZoomPresetFirst, cmd::kZoomPresetLast, nullptr, zoomPreset},
    {cmd::kZoomIn, cmd::kZoomIn, nullptr, zoomIn},
    {cmd::kZoomOut, cmd::kZoomOut, nullptr, zoomOut},
    {cmd::kChecker, cmd::kChecker, nullptr, toggleChecker, viewFlag<view_flag::kChecker>},
    {cmd::kMirror, cmd::kMirror, nullptr, toggleMirror, viewFlag<view_flag::kMirror>},
    {cmd::kGrid, cmd::kGrid, nullptr, toggleGrid, viewFlag<view_flag::kGrid>},
    {cmd::kGridSettings, cmd::kGridSettings, nullptr, gridSettings},
};

}  // namespace

std::span<const Command> viewCommands() { return kRows; }

}  // namespace tessel
