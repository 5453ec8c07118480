#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/files/autosave_session.h"
#include "app/files/open_save.h"
#include "app/ops/scanner.h"
#include "draw/selection/selection.h"
#include "app/models/shell_settings.h"
#include "config/key_table.h"
#include "config/settings.h"
#include "document/document.h"
#include "draw/input/canvas_input_setup.h"
#include "draw/tool/tool_traits.h"
#include "formats/palette_files.h"
#include "formats/texture_library.h"
#include "image/image24.h"
#include "image/image32.h"
#include "undo/undo_history.h"
#include "view/canvas_view.h"
#include "resources/language.h"

namespace tessel {

// Icon strip layout (288 x 77): the main tool bar's 16 x 16 buttons in the
// top row, the tools panel's 24 x 24 buttons in two rows below, and 13 x 13
// small buttons in the last row. Pure green is transparent.
namespace icon_strip {
constexpr int kWidth = 288;
constexpr int kHeight = 77;
constexpr uint32_t kTransparent = 0x00FF00;
constexpr int kBarSize = 16, kBarTop = 0;
constexpr int kToolSize = 24, kToolTop = 16, kToolsPerRow = 12;
constexpr int kSmallSize = 13, kSmallTop = 64;
// Tool bar slots.
enum Bar : int {
  kNew, kOpen, kSave, kUndo, kRedo, kZoomPopup, kZoomIn, kZoomOut,
  kPanelTools, kPanelOptions, kPanelLayers, kPanelPalette, kPanelExPalette,
  kPanelTexture, kPanelNavigator, kPanelViewer, kGrid, kMirror,
};
constexpr int kBarSlots = 18;
constexpr int kToolSlots = kToolCount;
// The rectangle of a tool bar slot and of a tool's button.
inline Rect barIcon(int slot) { return {slot * kBarSize, kBarTop, kBarSize, kBarSize}; }
inline Rect toolIcon(int tool) {
  return {(tool % kToolsPerRow) * kToolSize, kToolTop + (tool / kToolsPerRow) * kToolSize, kToolSize,
          kToolSize};
}
}  // namespace icon_strip

// The packed icon record the build makes from the icon art.
std::span<const uint8_t> packedIconStrip();

// What the open/save flow asks of the undo history, which keeps the
// modified flag; without a history nothing is modified.
class HistoryFlags : public EditHistory {
 public:
  explicit HistoryFlags(std::unique_ptr<UndoHistory>& history) : history_(history) {}
  bool modified() const override { return history_ && history_->modified(); }
  void clear() override {
    if (history_) history_->clear();
  }
  void markSaved() override {
    if (history_) history_->clearModified();
  }

 private:
  std::unique_ptr<UndoHistory>& history_;
};

// What the program holds for the whole session: settings, the document, the
// screen buffer and the canvas view. Qt-free; the window shell drives it.
class Application {
 public:
  Application();

  Settings config = defaultSettings();   // everything config.ini holds
  WindowPlacement placement;
  KeyTable keys;
  text::LanguageChoice language = text::LanguageChoice::Automatic;   // beside config.ini
  ShellSettings settings;      // the part the windows and the view work with
  PaletteSet palettes;         // "palette.dat"
  TextureLibrary textures;     // "texture.tst"
  std::vector<Texture> brushTextures;   // the library as the brushes read it
  std::unique_ptr<UndoHistory> undo;   // records go to the temporary folder
  HistoryFlags history{undo};
  std::unique_ptr<OpenSaveFlow> files;   // once a Shell is attached
  ChangeCounter changes;       // between the document and the undo history
  std::unique_ptr<AutosaveSession> autosave;   // once start-up has a settings folder
  std::unique_ptr<Scanner> scanner;      // handed in by the program; null: none
  Document document;
  Selection selection;         // the rectangle, the paste buffer, the floating image
  Image32 screen;
  Image24 icons;
  CanvasView view;
  PaintingTools painting{document, view, screen, selection};   // engine, tool settings, canvas input
  std::string tempFolder;

  // Start-up steps that belong to the core; each false ends start-up.
  bool createDefaultDocument();
  // The undo history over the document, spilling into the temporary folder.
  void createUndoHistory();
  // Undo or redo one step and redraw what it changed.
  bool undoStep(bool redo);
  bool unpackIcons();
  bool createScreenBuffer(int maxWidth, int maxHeight);
  std::string title() const;
  // The open/save flow and the refresh notifications go to the shell from
  // here on; a stroke's end reaches it through the canvas input's hook.
  void attachShell(Shell& shell);
  Shell* shell() const { return shell_; }
  // After a stroke or a layer move changed the current layer: its row in the
  // layer panel and the navigator.
  void layerPixelsChanged();
  // config.ini and key.dat: read before any window exists, written at exit.
  // Settings, key assignments, then the palettes and the texture library
  // (missing or damaged files leave them empty).
  void loadSettings(const std::string& folder);
  // The same order; the palettes and textures are written only when changed.
  bool saveSettings(const std::string& folder);

  // After the texture library changed: the brushes see the new textures.
  void syncBrushTextures();

  // Panel visibility as WinViewFlag.
  bool panelVisible(int panel) const { return (settings.winViewFlag >> panel) & 1; }
  void setPanelVisible(int panel, bool visible);

 private:
  Shell* shell_ = nullptr;
};

}  // namespace tessel
