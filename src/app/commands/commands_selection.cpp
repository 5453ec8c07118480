// The command table's rows for the Select menu, the clipboard commands and
// the whole-image commands of the Edit menu.
#include "app/application.h"
#include "app/commands/command_ids.h"
#include "app/commands/command_table.h"
#include "app/ops/edit_image_ops.h"
#include "app/ops/selection_actions.h"

namespace tessel {

namespace {

// While an image floats the Select and Edit commands wait for it to be
// dropped; the whole-image commands drop it themselves.
bool notFloating(const Application& app) { return !app.selection.floating(); }
bool anySelection(const Application& app) { return app.selection.state() != SelectionState::None; }
bool canPaste(const Application& app) { return notFloating(app) && app.selection.hasBuffer(); }
// Cropping and tiling do nothing without a rectangle smaller than the canvas.
bool mergedPasteOn(const Application& app) {
  return (app.settings.view.flags & view_flag::kMergedPaste) != 0;
}
bool partSelected(const Application& app) {
  return app.selection.state() == SelectionState::Selected && !app.selection.wholeCanvas(app.document);
}

#define ROW(id, enabled, call) {cmd::id, cmd::id, enabled, [](Application& app, [[maybe_unused]] Shell& shell, int) { call; }}
constexpr Command kRows[] = {
    ROW(kCopyLayer24, notFloating, copyLayer(app, shell, false)),
    ROW(kCopyLayer32, notFloating, copyLayer(app, shell, true)),
    ROW(kMergedCopy, notFloating, mergedCopy(app, shell)),
    ROW(kPasteAsLayer24, notFloating, pasteAsNewLayer(app, shell, false)),
    ROW(kPasteAsLayer32, notFloating, pasteAsNewLayer(app, shell, true)),
    ROW(kFlipImageH, nullptr, flipImageCommand(app, shell, false)),
    ROW(kFlipImageV, nullptr, flipImageCommand(app, shell, true)),
    ROW(kRotateImageCw, nullptr, rotateImageCommand(app, shell, false)),
    ROW(kRotateImageCcw, nullptr, rotateImageCommand(app, shell, true)),
    ROW(kImageSize, nullptr, imageSizeCommand(app, shell)),
    ROW(kCanvasSize, nullptr, canvasSizeCommand(app, shell)),
    ROW(kSelectAll, notFloating, selectAll(app)),
    {cmd::kMergedPaste, cmd::kMergedPaste, nullptr,
     [](Application& app, Shell&, int) { toggleMergedPaste(app); }, mergedPasteOn},
    ROW(kDeselect, anySelection, commitSelection(app)),
    ROW(kCopy, notFloating, copyCommand(app)),
    ROW(kCut, notFloating, cutCommand(app)),
    ROW(kPaste, canPaste, pasteCommand(app)),
    ROW(kFillSelection, notFloating, fillCommand(app)),
    ROW(kEraseSelection, notFloating, eraseCommand(app)),
    ROW(kFlipSelectionH, notFloating, flipSelectionCommand(app, false)),
    ROW(kFlipSelectionV, notFloating, flipSelectionCommand(app, true)),
    ROW(kRotateSelectionCw, notFloating, rotateSelection90Command(app, false)),
    ROW(kRotateSelectionCcw, notFloating, rotateSelection90Command(app, true)),
    ROW(kRotateSelection, notFloating, rotateSelectionCommand(app, shell)),
    ROW(kCropToSelection, partSelected, cropCommand(app, shell)),
    ROW(kScaleSelection, notFloating, scaleSelectionCommand(app, shell)),
    ROW(kSelectionCoordinates, notFloating, selectionCoordinates(app, shell)),
    ROW(kTileAll, partSelected, tileCommand(app, TileDirection::All)),
    ROW(kTileAcross, partSelected, tileCommand(app, TileDirection::Across)),
    ROW(kTileDown, partSelected, tileCommand(app, TileDirection::Down)),
    ROW(kImportClipboard24, notFloating, importFromClipboard(app, shell, false)),
    ROW(kImportClipboard32, notFloating, importFromClipboard(app, shell, true)),
    ROW(kImportFile, notFloating, importFromFile(app, shell)),
    ROW(kExportClipboard24, notFloating, exportToClipboard(app, shell, false)),
    ROW(kExportClipboard32, notFloating, exportToClipboard(app, shell, true)),
    ROW(kExportPng, notFloating, exportAsPng(app, shell)),
};
#undef ROW

}  // namespace

std::span<const Command> selectionCommands() { return kRows; }

}  // namespace tessel
