#include "app/application.h"

#include "app/startup.h"

namespace tessel {

Application::Application() : view(document, screen, settings.view) {}

bool Application::createDefaultDocument() {
  if (!document.newImage(settings.defImgW, settings.defImgH, true)) return false;
  documentPath.clear();
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

std::string Application::title() const { return windowTitle(documentPath, settings.optFlag); }

void Application::setPanelVisible(int panel, bool visible) {
  if (panel < 0 || panel >= kPanelCount) return;
  if (visible) {
    settings.winViewFlag |= 1u << panel;
  } else {
    settings.winViewFlag &= ~(1u << panel);
  }
}

}  // namespace tessel
