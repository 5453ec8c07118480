// The command table's rows for the Select menu, the clipboard commands and
// the whole-image commands of the Edit menu.
#include "app/application.h"
#include "app/command_table.h"
#include "app/image_commands.h"
#include "app/selection_commands.h"

namespace tessel {

namespace {

void run(Application& app, Shell& shell, int id) {
  switch (id) {
    case 40052: copyLayer(app, shell, false); break;
    case 40053: copyLayer(app, shell, true); break;
    case 40054: mergedCopy(app, shell); break;
    case 40055: pasteAsNewLayer(app, shell, false); break;
    case 40056: pasteAsNewLayer(app, shell, true); break;
    case 40057: flipImageCommand(app, shell, false); break;
    case 40058: flipImageCommand(app, shell, true); break;
    case 40059: rotateImageCommand(app, shell, false); break;
    case 40060: rotateImageCommand(app, shell, true); break;
    case 40061: imageSizeCommand(app, shell); break;
    case 40062: canvasSizeCommand(app, shell); break;
    case 40100: selectAll(app); break;
    case 40101: toggleMergedPaste(app); break;
    case 40102: commitSelection(app); break;
    case 40103: copyCommand(app); break;
    case 40104: cutCommand(app); break;
    case 40105: pasteCommand(app); break;
    case 40106: fillCommand(app); break;
    case 40107: eraseCommand(app); break;
    case 40108: flipSelectionCommand(app, false); break;
    case 40109: flipSelectionCommand(app, true); break;
    case 40110: rotateSelection90Command(app, false); break;
    case 40111: rotateSelection90Command(app, true); break;
    case 40112: rotateSelectionCommand(app, shell); break;
    case 40113: cropCommand(app, shell); break;
    case 40114: scaleSelectionCommand(app, shell); break;
    case 40115: selectionCoordinates(app, shell); break;
    case 40116: tileCommand(app, TileDirection::All); break;
    case 40117: tileCommand(app, TileDirection::Across); break;
    case 40118: tileCommand(app, TileDirection::Down); break;
    case 40119: importFromClipboard(app, shell, false); break;
    case 40120: importFromClipboard(app, shell, true); break;
    case 40121: importFromFile(app, shell); break;
    case 40122: exportToClipboard(app, shell, false); break;
    case 40123: exportToClipboard(app, shell, true); break;
    case 40124: exportAsPng(app, shell); break;
    default: break;
  }
}

// While an image floats the Select and Edit commands wait for it to be
// dropped; the whole-image commands drop it themselves.
bool notFloating(const Application& app) { return !app.selection.floating(); }
bool anySelection(const Application& app) { return app.selection.state() != SelectionState::None; }
bool canPaste(const Application& app) { return notFloating(app) && app.selection.hasBuffer(); }
// Cropping and tiling do nothing without a rectangle smaller than the canvas.
bool partSelected(const Application& app) {
  return app.selection.state() == SelectionState::Selected && !app.selection.wholeCanvas(app.document);
}

constexpr Command kRows[] = {
    {40052, 40056, notFloating, run},
    {40057, 40062, nullptr, run},
    {40100, 40100, notFloating, run},
    {40101, 40101, nullptr, run},
    {40102, 40102, anySelection, run},
    {40103, 40104, notFloating, run},
    {40105, 40105, canPaste, run},
    {40106, 40112, notFloating, run},
    {40113, 40113, partSelected, run},
    {40114, 40115, notFloating, run},
    {40116, 40118, partSelected, run},
    {40119, 40124, notFloating, run},
};

}  // namespace

std::span<const Command> selectionCommands() { return kRows; }

}  // namespace tessel
