#pragma once

namespace tessel {

class Application;
class Shell;

// The Edit menu's whole-image commands. A floating selection is dropped into
// its layer first and the selection ends, since the canvas under it changes.
void flipImageCommand(Application& app, Shell& shell, bool vertical);
void rotateImageCommand(Application& app, Shell& shell, bool counterClockwise);
// The scale dialog, then every layer scaled behind the progress dialog.
void imageSizeCommand(Application& app, Shell& shell);
void canvasSizeCommand(Application& app, Shell& shell);

}  // namespace tessel
