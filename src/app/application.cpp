#include "app/application.h"

#include "app/files/messages.h"
#include "app/ops/selection_actions.h"
#include "app/shell.h"
#include "app/startup.h"
#include "app/models/texture_model.h"
#include "config/settings_file.h"
#include "resources/language.h"

namespace tessel {

Application::Application() : view(document, screen, settings.view) {
  painting.input.textures = &brushTextures;
}

bool Application::createDefaultDocument() {
  return document.newImage(settings.defImgW, settings.defImgH, true);
}

void Application::createUndoHistory() {
  undo = std::make_unique<UndoHistory>(document, tempFolder, config.undoCnt);
  changes.setTarget(undo.get());
  document.setRecorder(&changes);
}

bool Application::undoStep(bool redo) {
  if (!undo) return false;
  SelectionUndoGuard keepSelection(*this);
  UndoRefresh refresh;
  if (!(redo ? undo->redo(refresh) : undo->undo(refresh))) return false;
  changes.bump();
  switch (refresh.kind) {
    case UndoRefresh::Kind::Area: view.refreshRect(refresh.rect); break;
    case UndoRefresh::Kind::CanvasSize: view.centreImage(); view.refreshAll(); break;
    case UndoRefresh::Kind::Full: view.refreshAll(); break;
    case UndoRefresh::Kind::None: break;
  }
  if (shell_) {
    // An area names its layer; anything larger rebuilds every row.
    shell_->refreshLayerPanel(refresh.kind == UndoRefresh::Kind::Area ? refresh.layerIndex : -1);
    shell_->refreshNavigator();
  }
  return true;
}

bool Application::unpackIcons() {
  return icons.createFromPacked(packedIconStrip()) && icons.width() == icon_strip::kWidth &&
         icons.height() == icon_strip::kHeight;
}

bool Application::createScreenBuffer(int maxWidth, int maxHeight) {
  if (maxWidth < 1 || maxHeight < 1) return false;
  return screen.create(maxWidth, maxHeight);
}

std::string Application::title() const {
  return files ? files->windowTitle() : windowTitle(std::string(), settings.optFlag);
}

void Application::attachShell(Shell& shell) {
  shell_ = &shell;
  files = std::make_unique<OpenSaveFlow>(document, config, shell, history);
  painting.input.hooks.layerChanged = [this] { layerPixelsChanged(); };
  painting.input.hooks.outOfMemory = [this] {
    shell_->showMessage(text::tr(kMsgMemoryError), "", MessageIcon::Error);
  };
}

void Application::layerPixelsChanged() {
  if (!shell_) return;
  shell_->refreshLayerPanel(document.currentIndex());
  shell_->refreshNavigator();
}

void Application::loadSettings(const std::string& folder) {
  tessel::loadSettings(folder, config, placement, keys);
  language = text::readLanguageChoice(folder);
  shellSettingsFrom(config, placement, settings);
  painting.load(config);
  loadPaletteSet(folder + "/palette.dat", palettes);
  textures.load(folder + "/texture.tst", false);
  syncBrushTextures();
}

void Application::syncBrushTextures() {
  brushTextures = brushTexturesOf(textures);
  painting.input.textures = &brushTextures;
}

bool Application::saveSettings(const std::string& folder) {
  storeShellSettings(settings, config, placement);
  painting.store(config);
  const bool settingsSaved = tessel::saveSettings(folder, config, placement, keys) &&
                             (language == text::readLanguageChoice(folder) || text::writeLanguageChoice(folder, language));
  const bool palettesSaved = savePaletteSet(folder + "/palette.dat", palettes);
  const bool texturesSaved = textures.save(folder + "/texture.tst", true);
  return settingsSaved && palettesSaved && texturesSaved;
}

void Application::setPanelVisible(int panel, bool visible) {
  if (panel < 0 || panel >= kPanelCount) return;
  if (visible) {
    settings.winViewFlag |= 1u << panel;
  } else {
    settings.winViewFlag &= ~(1u << panel);
  }
}

}  // namespace tessel
