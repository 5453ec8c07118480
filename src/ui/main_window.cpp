#include "ui/main_window.h"
#include "ui/ui_texts.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <vector>

#include "app/application.h"
#include "app/commands/command_table.h"
#include "app/files/recent_lists.h"
#include "app/commands/commands.h"
#include "app/ops/filter_ops.h"
#include "app/models/panel_layout.h"
#include "app/ops/scan_ops.h"
#include "app/startup.h"
#include "resources/accelerators.h"
#include "resources/menus.h"
#include "resources/strings.h"
#include "ui/canvas_widget.h"
#include "ui/icons.h"
#include "ui/info_bar.h"
#include "ui/layer_panel.h"
#include "ui/paint_input.h"
#include "ui/panel_window.h"

namespace tessel {

namespace {

// The window's own toggles; the command table knows the others.
bool isToggle(int id) {
  return (id >= cmd::kPanelFirst && id <= cmd::kPanelLast) || id == cmd::kFullScreen ||
         commandCheckable(id);
}

}  // namespace

MainWindow::MainWindow(Application& app) : app_(app) {
  setObjectName(QStringLiteral("mainWindow"));
  setAcceptDrops(true);
  canvas_ = new CanvasWidget(app_, this);
  setCentralWidget(canvas_);
  canvas_->bringMainToFront = [this] { bringToFront(); };
  buildMenus();
  buildToolBar();
  infoBar_ = new InfoBar(this);
  placeInfoBar();
  buildPanels();
  syncChecks();
  rebuildRecentMenu();
  refreshTitle();
  connect(canvas_, &CanvasWidget::viewChanged, this, &MainWindow::refreshInfoBar);
  connect(canvas_, &CanvasWidget::cursorMoved, this, &MainWindow::refreshInfoBar);
  refreshInfoBar();
  startAutosaveTimer();
}

void MainWindow::startAutosaveTimer() {
  autosaveNote_ = new QLabel(this);
  autosaveNote_->setObjectName(QStringLiteral("autosaveNote"));
  statusBar()->addPermanentWidget(autosaveNote_);
  autosaveTimer_ = new QTimer(this);
  autosaveTimer_->setInterval(1000);
  connect(autosaveTimer_, &QTimer::timeout, this, &MainWindow::autosaveTick);
  autosaveTimer_->start();
}

void MainWindow::autosaveTick() {
  AutosaveSession* autosave = app_.autosave.get();
  // A modal dialog may have a worker or a preview on the document.
  if (!autosave || QApplication::activeModalWidget()) return;
  const bool busy = autosave->tick(AutosaveSession::Clock::now());
  // Slices back to back while copying; the event loop serves input between them.
  autosaveTimer_->setInterval(!busy ? 1000 : autosave->saver().waitingForThread() ? 50 : 0);
  const QString note = QString::fromStdString(autosave->note());
  if (autosaveNote_->text() != note) autosaveNote_->setText(note);
}

QAction* MainWindow::action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QAction* MainWindow::makeAction(int id, const QString& label) {
  if (QAction* existing = action(id)) return existing;
  auto* a = new QAction(label, this);
  a->setData(id);
  a->setEnabled(commandEnabled(id));
  a->setCheckable(isToggle(id));
  if (const char* keys = acceleratorFor(uint16_t(id))) {
    a->setShortcut(QKeySequence::fromString(QString::fromLatin1(keys), QKeySequence::PortableText));
    a->setShortcutContext(Qt::WindowShortcut);
  }
  connect(a, &QAction::triggered, this, [this, id] { command(id); });
  actions_[id] = a;
  return a;
}

void MainWindow::buildMenus() {
  std::vector<QMenu*> stack;
  for (const MenuEntry& e : mainMenu()) {
    switch (e.kind) {
      case MenuKind::Popup: {
        QString label = trq(e.label);
        QMenu* m = stack.empty() ? menuBar()->addMenu(label) : stack.back()->addMenu(label);
        // A row's enabled state may depend on the document: asked again each time.
        if (stack.empty()) connect(m, &QMenu::aboutToShow, this, &MainWindow::refreshEnabled);
        m->setToolTipsVisible(true);
        stack.push_back(m);
        if (label == trq("近期打开文件")) recentMenu_ = m;
        break;
      }
      case MenuKind::End:
        if (!stack.empty()) stack.pop_back();
        break;
      case MenuKind::Separator:
        if (!stack.empty()) stack.back()->addSeparator();
        break;
      case MenuKind::Item:
        if (!stack.empty() && e.id != cmd::kRecentPlaceholder) {
          stack.back()->addAction(makeAction(e.id, trq(e.label)));
        }
        break;
    }
  }
  // Accelerators of commands that have no menu item (the layer panel's).
  for (const MenuEntry& e : layerPanelMenu()) {
    if (e.kind == MenuKind::Item && acceleratorFor(e.id)) addAction(makeAction(e.id, trq(e.label)));
  }
}

void MainWindow::buildToolBar() {
  namespace is = icon_strip;
  toolBar_ = addToolBar(QStringLiteral("tools"));
  toolBar_->setObjectName(QStringLiteral("toolBar"));
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(is::kBarSize, is::kBarSize));
  auto button = [&](int id, int slot, const QString& tip) {
    QAction* a = makeAction(id, tip);
    a->setIcon(stripIcon(app_.icons, is::barIcon(slot)));
    toolBar_->addAction(a);
    return a;
  };
  button(cmd::kNew, is::kNew, trq("新建"));
  // Open and Save carry an arrow for the recent folders and the quick saves.
  auto withPopup = [&](QAction* a, bool saving) {
    QMenu*& menu = saving ? savePopup_ : openPopup_;
    menu = new QMenu(this);
    connect(menu, &QMenu::aboutToShow, this, [this, saving] { fillFilePopup(filePopup(saving), saving); });
    if (auto* b = qobject_cast<QToolButton*>(toolBar_->widgetForAction(a))) {
      b->setMenu(menu);
      b->setPopupMode(QToolButton::MenuButtonPopup);
    }
  };
  withPopup(button(cmd::kOpen, is::kOpen, trq("打开")), false);
  withPopup(button(cmd::kSave, is::kSave, trq("保存")), true);
  toolBar_->addSeparator();
  button(cmd::kUndo, is::kUndo, trq("撤销"));
  button(cmd::kRedo, is::kRedo, trq("重做"));
  toolBar_->addSeparator();
  zoomMenu_ = new QMenu(this);
  for (size_t i = 0; i < zoomPresets().size(); ++i) {
    QString label = QString::asprintf(text::kZoomLabel, zoomPresets()[i]);
    zoomMenu_->addAction(makeAction(cmd::kZoomPresetFirst + int(i), label));
  }
  QAction* zoom = button(cmd::kZoomPopup, is::kZoomPopup, trq(text::kZoomPopup));
  if (auto* b = qobject_cast<QToolButton*>(toolBar_->widgetForAction(zoom))) {
    b->setMenu(zoomMenu_);
    b->setPopupMode(QToolButton::InstantPopup);
  }
  button(cmd::kZoomIn, is::kZoomIn, trq(text::kZoomIn));
  button(cmd::kZoomOut, is::kZoomOut, trq(text::kZoomOut));
  toolBar_->addSeparator();
  for (int n = 0; n < kPanelCount; ++n) {
    button(cmd::kPanelFirst + n, is::kPanelTools + n, trq(text::kPanelTitles[n]));
  }
  toolBar_->addSeparator();
  button(cmd::kGrid, is::kGrid, trq("显示网格"));
  button(cmd::kMirror, is::kMirror, trq("水平翻转画布"));
}

void MainWindow::buildPanels() {
  for (int n = 0; n < kPanelCount; ++n) {
    auto* p = new PanelWindow(n, trq(text::kPanelTitles[n]), this);
    connect(p, &PanelWindow::closedByUser, this, [this](int panel) { togglePanel(panel); });
    panels_[size_t(n)] = p;
  }
  buildToolsPanel(panels_[kToolsPanel]);
  buildLayerPanel(app_, panels_[kLayerPanel]);
  buildContentPanels();
}

void MainWindow::buildToolsPanel(PanelWindow* panel) {
  installPainting(*this, app_, panel, panels_[kToolOptionsPanel], canvas_->viewport(), text::kToolNames);
}

void MainWindow::placeInfoBar() {
  const int pos = app_.settings.infoBarPos;
  infoBar_->setVisible(pos != 0);
  if (pos == 1) {
    auto* spacer = new QWidget(toolBar_);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar_->addWidget(spacer);
    toolBar_->addWidget(infoBar_);
    return;
  }
  infoBar_->setParent(canvas_->viewport());
  infoBar_->setVisible(pos != 0);
  QSize vs = canvas_->viewport()->size(), s = infoBar_->size();
  int x = (pos == 3 || pos == 5) ? vs.width() - s.width() : 0;
  int y = (pos == 4 || pos == 5) ? vs.height() - s.height() : 0;
  infoBar_->move(x, y);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (app_.settings.infoBarPos >= 2) placeInfoBar();
}

// "[*]" is where the platform shows its unsaved-changes mark.
void MainWindow::refreshTitle() {
  setWindowTitle(QString::fromStdString(app_.title()) + QStringLiteral("[*]"));
  setWindowModified(app_.files ? app_.files->modified() : app_.history.modified());
}

void MainWindow::refreshInfoBar() { infoBar_->setText(app_.view.infoBar()); }

void MainWindow::placeAndShowPanels() {
  const ShellSettings& s = app_.settings;
  QScreen* scr = screen();
  const QRect work = scr ? scr->availableGeometry() : QRect(0, 0, 1024, 768);
  const Rect workArea{work.x(), work.y(), work.width(), work.height()};
  // The client area starts below the menu bar and ends left of the canvas's
  // vertical scroll bar, which the panels would hide.
  QRect g = geometry();
  g.setTop(g.top() + menuBar()->height());
  const QWidget* viewport = canvas_->viewport();
  g.setRight(std::min(g.right(), viewport->mapToGlobal(QPoint(viewport->width() - 1, 0)).x()));
  PanelDefaults d = defaultPanelRects({g.x(), g.y(), g.width(), g.height()}, s.layerHeight);

  // Never-placed panels go where they fit: over the canvas (not the menu or
  // tool bar), by their real sizes with the frame the window manager adds.
  const QRect canvasArea = QRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size()).intersected(work);
  const QMargins frame = decorationMargins();
  std::array<Rect, kPanelCount> outer{};
  for (int n = 0; n < kPanelCount; ++n) {
    PanelWindow* p = panels_[size_t(n)];
    QSize inner = p->sizeHint().expandedTo(p->minimumSizeHint()).expandedTo(p->minimumSize());
    const Rect& wanted = d.rects[size_t(n)];
    if (wanted.w > 0 && wanted.h > 0) inner = inner.expandedTo(QSize(wanted.w, wanted.h));
    if (n == kLayerPanel) inner.setHeight(std::max(s.layerHeight, p->minimumHeight()));
    outer[size_t(n)] = {0, 0, inner.width() + frame.left() + frame.right(),
                        inner.height() + frame.top() + frame.bottom()};
  }
  const std::array<Rect, kPanelCount> fitted = firstStartPanelPlaces(
      {canvasArea.x(), canvasArea.y(), canvasArea.width(), canvasArea.height()}, workArea, outer,
      s.winViewFlag);
  for (int n = 0; n < kPanelCount; ++n) {
    const Rect& o = fitted[size_t(n)];
    d.rects[size_t(n)] = {o.x + frame.left(), o.y + frame.top(), o.w - frame.left() - frame.right(),
                          o.h - frame.top() - frame.bottom()};
  }

  auto storedPoint = [](Point p, Rect& r) {
    if (p.x != kNeverPlaced) r.x = p.x, r.y = p.y;
  };
  auto storedRect = [](const StoredRect& sr, Rect& r) {
    if (sr.left != kNeverPlaced) r = {sr.left, sr.top, sr.right - sr.left, sr.bottom - sr.top};
  };
  storedPoint(s.toolPos, d.rects[kToolsPanel]);
  storedPoint(s.ctlPos, d.rects[kToolOptionsPanel]);
  storedPoint(s.layerPos, d.rects[kLayerPanel]);
  storedPoint(s.exPalPos, d.rects[kExtendedPalettePanel]);
  storedRect(s.texture, d.rects[kTexturePanel]);
  storedRect(s.palette, d.rects[kPalettePanel]);
  storedRect(s.navigator, d.rects[kNavigatorPanel]);
  storedRect(s.imageViewer, d.rects[kImageViewerPanel]);
  for (int n = 0; n < kPanelCount; ++n) {
    Rect r = moveIntoArea(d.rects[size_t(n)], workArea);
    panels_[size_t(n)]->setGeometry(r.x, r.y, r.w, r.h);
    panels_[size_t(n)]->setVisible(app_.panelVisible(n) && panelBuilt(n));
  }
  fitHeightToContents(panels_[kToolOptionsPanel]);
  syncChecks();
}

// What the window manager adds around a window, measured on the main window
// (the panels' frames are not known before they are shown).
QMargins MainWindow::decorationMargins() const {
  const QRect inner = geometry(), outer = frameGeometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

// Tool windows are kept above the main window even without a window manager.
void MainWindow::bringToFront() {
  activateWindow();
  raise();
  // The tools and their options end on top where panels overlap.
  for (auto p = panels_.rbegin(); p != panels_.rend(); ++p) {
    if ((*p)->isVisible()) (*p)->raise();
  }
}

namespace {

// "&n " stays the mnemonic; an ampersand in the path is shown as itself.
QString menuText(const std::string& text) {
  size_t space = text.find(' ');
  if (text.empty() || text.front() != '&' || space == std::string::npos) return QString::fromStdString(text);
  QString path = QString::fromStdString(text.substr(space + 1));
  path.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QString::fromStdString(text.substr(0, space + 1)) + path;
}

void fillMenu(QMenu* menu, const std::vector<PopupEntry>& entries, const std::function<void(int)>& run) {
  menu->clear();
  for (const PopupEntry& e : entries) {
    if (e.command == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* a = menu->addAction(menuText(e.text));
    const int id = e.command;
    QObject::connect(a, &QAction::triggered, menu, [run, id] { run(id); });
  }
}

}  // namespace

void MainWindow::rebuildRecentMenu() {
  if (!recentMenu_) return;
  fillMenu(recentMenu_, recentFileMenu(app_.config), [this](int id) { command(id); });
  recentMenu_->setEnabled(!recentMenu_->isEmpty());
}

void MainWindow::fillFilePopup(QMenu* menu, bool saving) {
  if (!saving) {
    fillMenu(menu, recentFolderMenu(app_.config), [this](int id) { command(id); });
    return;
  }
  // While the save pop-up is open a recent folder is where to save.
  fillMenu(menu, quickSaveMenu(app_.config), [this](int id) {
    if (id >= cmd::kRecentFolderFirst && id <= cmd::kRecentFolderLast && app_.files) {
      app_.files->saveToRecentFolder(id - cmd::kRecentFolderFirst);
    } else {
      command(id);
    }
  });
}

void MainWindow::storePlacement() {
  ShellSettings& s = app_.settings;
  QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
  if (app_.settings.view.flags & view_flag::kFullScreen) g = normalGeometry_;
  s.main = {g.left(), g.top(), g.right() + 1, g.bottom() + 1};
  s.mainShowCmd = isMaximized() ? 3 : isMinimized() ? 2 : 1;
  auto corner = [&](int n) {
    QRect r = panels_[size_t(n)]->geometry();
    return Point{r.x(), r.y()};
  };
  auto corners = [&](int n) {
    QRect r = panels_[size_t(n)]->geometry();
    return StoredRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
  };
  s.toolPos = corner(kToolsPanel);
  s.ctlPos = corner(kToolOptionsPanel);
  s.layerPos = corner(kLayerPanel);
  s.layerHeight = panels_[kLayerPanel]->height();
  s.exPalPos = corner(kExtendedPalettePanel);
  s.texture = corners(kTexturePanel);
  s.palette = corners(kPalettePanel);
  s.navigator = corners(kNavigatorPanel);
  s.imageViewer = corners(kImageViewerPanel);
  storePanelSettings();
}

void MainWindow::refreshEnabled() {
  for (auto& [id, a] : actions_) a->setEnabled(commandEnabled(id));
  // The scanner items say whether SANE could be loaded, and so why they are greyed.
  for (int id : {cmd::kScanAcquire, cmd::kScanSelectDevice})
    if (QAction* a = action(id)) a->setToolTip(QString::fromStdString(scanCommandToolTip(app_, id)));
}

void MainWindow::syncChecks() {
  const uint32_t flags = app_.settings.view.flags;
  for (int n = 0; n < kPanelCount; ++n) {
    if (QAction* a = action(cmd::kPanelFirst + n)) a->setChecked(app_.panelVisible(n));
  }
  if (QAction* a = action(cmd::kFullScreen)) a->setChecked(flags & view_flag::kFullScreen);
  for (auto& [id, a] : actions_) {
    if (commandCheckable(id)) a->setChecked(commandChecked(app_, id));
  }
}

}  // namespace tessel
