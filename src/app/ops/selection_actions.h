#pragma once
#include "app/ops/selection_pixels.h"

namespace tessel {

class Application;
class Shell;

// The Select and Edit menu actions on the application's selection. Each does
// nothing while the selection floats unless it says otherwise; each redraws
// what it changed.

// Shared steps.
bool mergedPaste(const Application& app);
// The current layer's drawing conditions (mask mode, colour mask, texture)
// loaded into the engine, as a press would.
const BrushContext& refreshGate(Application& app);
void redrawArea(Application& app, const Rect& area);
bool selectionToolCurrent(const Application& app);
void makeSelectionToolCurrent(Application& app);
// Deselect: drops a floating selection into the layer (one undo step).
void commitSelection(Application& app);
// Begins a floating paste of the paste buffer at the canvas window's centre.
bool pasteFloating(Application& app);

void selectAll(Application& app);
void selectionCoordinates(Application& app, Shell& shell);
void copyCommand(Application& app);
void cutCommand(Application& app);
void pasteCommand(Application& app);
void fillCommand(Application& app);
void eraseCommand(Application& app);
void tileCommand(Application& app, TileDirection direction);
void flipSelectionCommand(Application& app, bool vertical);
void rotateSelection90Command(Application& app, bool counterClockwise);
void rotateSelectionCommand(Application& app, Shell& shell);
void cropCommand(Application& app, Shell& shell);
void scaleSelectionCommand(Application& app, Shell& shell);
void toggleMergedPaste(Application& app);

// Clipboard and files (clipboard_ops.cpp).
void exportToClipboard(Application& app, Shell& shell, bool withAlpha);
void exportAsPng(Application& app, Shell& shell);
void importFromClipboard(Application& app, Shell& shell, bool withAlpha);
void importFromFile(Application& app, Shell& shell);
void mergedCopy(Application& app, Shell& shell);
void copyLayer(Application& app, Shell& shell, bool withAlpha);
void pasteAsNewLayer(Application& app, Shell& shell, bool withAlpha);

// Undo and redo commit any selection first and give a state-1 rectangle back
// afterwards (clipped to the canvas as it then is). Live for the step.
class SelectionUndoGuard {
 public:
  explicit SelectionUndoGuard(Application& app);
  ~SelectionUndoGuard();
  SelectionUndoGuard(const SelectionUndoGuard&) = delete;
  SelectionUndoGuard& operator=(const SelectionUndoGuard&) = delete;

 private:
  Application& app_;
  Rect kept_;
};

}  // namespace tessel
