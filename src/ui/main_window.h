#pragma once
#include <QMainWindow>
#include <QMargins>
#include <QRect>
#include <array>
#include <map>

#include "app/models/shell_settings.h"

class QAction;
class QLabel;
class QTimer;
class QToolBar;
class QMenu;

namespace tessel {

class Application;
class CanvasWidget;
class ExPalettePanel;
class ImageViewerPanel;
class NavigatorPanel;
class PalettePanel;
class TexturePanel;
class InfoBar;
class PanelWindow;
class Shell;

// The main window: menu bar and tool bar from the resource tables, the canvas,
// the info bar and the floating panels. Every command identifier arrives at
// command().
class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(Application& app);

  // Runs a command; false when the identifier is ignored (outside every
  // range, or its action is not built or disabled).
  bool command(int id);
  bool commandEnabled(int id) const;
  // Places the panels (stored places, or the defaults from the client area)
  // and shows those set in WinViewFlag.
  void placeAndShowPanels();
  void refreshTitle();
  // Menu items and accelerators follow the document and the selection.
  void refreshEnabled();
  void bringToFront();
  // The recent-file submenu from the recent list.
  void rebuildRecentMenu();
  // Window and panel places into the settings, for writing at exit.
  void storePlacement();
  void refreshInfoBar();

  CanvasWidget* canvas() const { return canvas_; }
  InfoBar* infoBar() const { return infoBar_; }
  PanelWindow* panel(int n) const { return panels_[size_t(n)]; }
  QAction* action(int id) const;
  // The navigator's picture again, when it is shown.
  void refreshNavigator();
  PalettePanel* palettePanel() const { return palette_; }
  ExPalettePanel* exPalettePanel() const { return exPalette_; }
  TexturePanel* texturePanel() const { return textures_; }
  NavigatorPanel* navigatorPanel() const { return navigator_; }
  ImageViewerPanel* imageViewerPanel() const { return viewer_; }
  QMenu* zoomMenu() const { return zoomMenu_; }
  // The Open button's recent-folder pop-up and the Save button's quick-save
  // pop-up, filled as they open; recentMenu() is the File menu's list.
  QMenu* filePopup(bool saving) const { return saving ? savePopup_ : openPopup_; }
  QMenu* recentMenu() const { return recentMenu_; }
  void fillFilePopup(QMenu* menu, bool saving);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenus();
  void buildToolBar();
  void buildPanels();
  void buildToolsPanel(PanelWindow* panel);
  void buildContentPanels();
  void panelShown(int panel);
  void storePanelSettings();
  QAction* makeAction(int id, const QString& label);
  void placeInfoBar();
  QMargins decorationMargins() const;
  void togglePanel(int panel);
  void hideOrRestorePanels();
  void toggleFullScreen();
  void syncChecks();
  // Autosave slices and the status bar's note of the last run.
  void startAutosaveTimer();
  void autosaveTick();

  Application& app_;
  CanvasWidget* canvas_ = nullptr;
  InfoBar* infoBar_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QMenu* zoomMenu_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QMenu* openPopup_ = nullptr;
  QMenu* savePopup_ = nullptr;
  std::array<PanelWindow*, kPanelCount> panels_{};
  PalettePanel* palette_ = nullptr;
  ExPalettePanel* exPalette_ = nullptr;
  TexturePanel* textures_ = nullptr;
  NavigatorPanel* navigator_ = nullptr;
  ImageViewerPanel* viewer_ = nullptr;
  std::map<int, QAction*> actions_;
  QRect normalGeometry_;
  QTimer* autosaveTimer_ = nullptr;
  QLabel* autosaveNote_ = nullptr;
};

}  // namespace tessel
