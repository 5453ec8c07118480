#pragma once
#include <string>

#include "image/image32.h"

namespace tessel {

class Application;
class Document;
class Shell;
struct Layer;

// The four operations of the layer rows' pop-up menu: the current layer is
// processed with another layer as reference.
enum class AlphaOperation { Transparent = 0, CopyAlpha = 1, MultiplyAlpha = 2, Outline = 3 };

// The document side of the layer commands, shared with tessel-cli. Each
// records through the document's recorder.
// A new layer above the current one holding image at the top-left (cut at
// the canvas edges), named after fileName's last path part; the layer-added
// step is recorded so that undo removes it. False at 100 layers.
bool addLayerFromImage(Document& doc, const Image32& image, const std::string& fileName);
// Records the whole current layer, then runs the operation over the canvas
// with layer `reference` as reference; the outline is drawn in colour.
bool runAlphaOperation(Document& doc, int reference, AlphaOperation op, Pixel colour);
// Name (UTF-8, stored as code page 936, at most 31 bytes) and opacity percent
// of the layer at index.
bool setLayerSettings(Document& doc, int index, const std::string& name, int percent);
// The layer alone as a 32-bit PNG with alpha at level 6.
bool exportLayerPng(const Layer& layer, const std::string& path);

// The layer commands as the panel, its menu and the main window run them.
// Each ends a tool operation in progress first, and afterwards rebuilds the
// layer list and refreshes the canvas.
void layerNew(Application& app, Shell& shell);
void layerNewFromFile(Application& app, Shell& shell);
void layerClone(Application& app, Shell& shell);
void layerDelete(Application& app, Shell& shell);
void layerMergeDown(Application& app, Shell& shell);
void layerMergeVisible(Application& app, Shell& shell, bool keepTransparency);
void layerMergeIntoNew(Application& app, Shell& shell);
void layerMoveUp(Application& app, Shell& shell);
void layerMoveDown(Application& app, Shell& shell);
// The settings dialog for the layer at index (-1: the current layer).
void layerSettings(Application& app, Shell& shell, int index = -1);
void layerExport(Application& app, Shell& shell);
// 0 all visible, 1 all hidden, 2 only the current layer.
void layerVisibility(Application& app, Shell& shell, int mode);
void layerAlphaOperation(Application& app, Shell& shell, int reference, AlphaOperation op);
// The refresh every layer command ends with.
void refreshAfterLayerChange(Application& app, Shell& shell);

// The rows of the layer commands (cmd::kLayerFirst ... kLayerLast): whether id is one, and running it.
bool isLayerCommand(int id);
// False when id is not a layer command or it is disabled.
bool runLayerCommand(Application& app, Shell& shell, int id);
bool layerCommandEnabled(const Application& app, int id);

}  // namespace tessel
