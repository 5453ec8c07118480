// The main window's command handler and the small actions that live in it.
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

#include "app/application.h"
#include "app/commands/command_table.h"
#include "app/commands/commands.h"
#include "app/key_dispatch.h"
#include "app/startup.h"
#include "resources/strings.h"
#include "ui/main_window.h"
#include "ui/ui_texts.h"
#include "ui/panel_window.h"
#include "ui/virtual_keys.h"

namespace tessel {

bool MainWindow::commandEnabled(int id) const {
  return findCommand(id) ? tessel::commandEnabled(app_, id) : windowOnlyCommand(id);
}

// Rows of the command table run in the core; the rest act on windows.
bool MainWindow::command(int id) {
  if (findCommand(id)) {
    Shell* shell = app_.shell();
    if (!shell || !runCommand(app_, *shell, id)) return false;
    app_.painting.input.syncOutline();
    syncChecks();
    refreshEnabled();
    refreshTitle();
    return true;
  }
  if (!windowOnlyCommand(id)) return false;
  if (id >= cmd::kPanelFirst && id <= cmd::kPanelLast) {
    togglePanel(id - cmd::kPanelFirst);
    return true;
  }
  switch (id) {
    case cmd::kHideAllPanels: hideOrRestorePanels(); break;
    case cmd::kFullScreen: toggleFullScreen(); break;
    case cmd::kZoomPopup: zoomMenu_->popup(QCursor::pos()); break;
    case cmd::kAbout:
      QMessageBox::about(this, trq(text::kAboutTitle), trq(text::kAboutText));
      break;
    default: return false;
  }
  return true;
}

void MainWindow::togglePanel(int n) {
  bool show = !app_.panelVisible(n);
  app_.setPanelVisible(n, show);
  if (show && panelBuilt(n)) panelShown(n);
  panels_[size_t(n)]->setVisible(show && panelBuilt(n));
  syncChecks();
}

void MainWindow::hideOrRestorePanels() {
  ShellSettings& s = app_.settings;
  HideAllResult r = hideOrRestoreAll(s.winViewFlag, s.viewBkFlag, s.view.flags);
  s.viewBkFlag = r.viewBkFlag;
  s.view.flags = r.exViewFlag;
  for (int n = 0; n < kPanelCount; ++n) {
    if (r.toggleMask & (1u << n)) togglePanel(n);
  }
  bringToFront();
}

void MainWindow::toggleFullScreen() {
  uint32_t& flags = app_.settings.view.flags;
  if (!(flags & view_flag::kFullScreen)) {
    normalGeometry_ = geometry();
    flags |= view_flag::kFullScreen;
    showFullScreen();
  } else {
    flags &= ~view_flag::kFullScreen;
    showNormal();
    setGeometry(normalGeometry_);
  }
  syncChecks();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // During a drag the keys belong to it (the canvas input follows them).
  if (app_.painting.input.dragging()) return QMainWindow::keyPressEvent(event);
  Key key = Key::Other;
  switch (event->key()) {
    case Qt::Key_Left: key = Key::Left; break;
    case Qt::Key_Right: key = Key::Right; break;
    case Qt::Key_Up: key = Key::Up; break;
    case Qt::Key_Down: key = Key::Down; break;
    case Qt::Key_Insert: key = Key::Insert; break;
    case Qt::Key_Delete: key = Key::Delete; break;
    default: break;
  }
  FixedKeyAction a = fixedKeyAction(key, event->modifiers() & Qt::ControlModifier);
  if (a.kind == FixedKeyAction::ShiftLayer) {
    // A floating image is dropped first: its backup would undo the shift under it.
    app_.painting.input.dropFloating();
    if (shiftCurrentLayer(app_.document, a.dx, a.dy)) {
      app_.view.refreshAll();
      app_.layerPixelsChanged();
    }
    return;
  }
  if (a.kind == FixedKeyAction::Command) {
    command(a.command);
    return;
  }
  // Then the key-binding table from key.dat.
  const uint8_t vk = virtualKeyFor(event->key(), event->modifiers() & Qt::KeypadModifier);
  if (auto binding = findKeyBinding(app_.keys.entries(), vk)) {
    if (int id = commandForBinding(*binding)) {
      command(id);
      return;
    }
    if (app_.painting.input.boundKey(binding->category, binding->index)) return;
  }
  QMainWindow::keyPressEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

// Files dropped on the window: the open flow takes the first one.
void MainWindow::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  if (paths.empty() || !app_.files) return;
  event->acceptProposedAction();
  app_.files->openDropped(paths);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (app_.files && !app_.files->confirmExit()) {
    event->ignore();
    return;
  }
  storePlacement();
  for (PanelWindow* p : panels_) p->hide();
  event->accept();
}

}  // namespace tessel
