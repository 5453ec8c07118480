// The main window's command handler and the small actions that live in it.
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QSpinBox>
#include <QUrl>

#include "app/application.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/key_dispatch.h"
#include "app/startup.h"
#include "platform/instance.h"
#include "resources/menus.h"
#include "resources/strings.h"
#include "ui/main_window.h"
#include "ui/panel_window.h"
#include "ui/virtual_keys.h"

namespace tessel {

bool MainWindow::fileCommand(int id) {
  OpenSaveFlow* files = app_.files.get();
  if (!files) return false;
  switch (commandRange(id)) {
    case CommandRange::RecentFile: files->openRecentFile(id - 3100); return true;
    case CommandRange::RecentFolder: files->openFromRecentFolder(id - 3200); return true;
    case CommandRange::QuickSave: files->quickSave(id - 3249); return true;
    default: break;
  }
  switch (id) {
    case 40001: files->newImage(); return true;
    case 40002: files->open(); return true;
    case 40003: files->openFromClipboard(); return true;
    case 40004: files->save(); return true;
    case 40005: files->saveAs(); return true;
    case 40012: files->savePreferred(); return true;
    default: return false;
  }
}

bool MainWindow::command(int id) {
  if (app_.shell() && runSelectionCommand(app_, *app_.shell(), id)) { syncChecks(); return true; }
  if (!commandAvailable(id)) return false;
  if (fileCommand(id)) return true;
  if (commandRange(id) == CommandRange::ZoomPreset) {
    app_.view.setZoom(zoomPresets()[size_t(id - cmd::kZoomPresetFirst)]);
    return true;
  }
  if (id >= cmd::kPanelFirst && id <= cmd::kPanelLast) {
    togglePanel(id - cmd::kPanelFirst);
    return true;
  }
  switch (id) {
    case cmd::kExit: close(); break;
    case cmd::kUndo: app_.undoStep(false); break;
    case cmd::kRedo: app_.undoStep(true); break;
    case cmd::kHideAllPanels: hideOrRestorePanels(); break;
    case cmd::kFullScreen: toggleFullScreen(); break;
    case cmd::kChecker: toggleViewFlag(view_flag::kChecker, true); break;
    case cmd::kMirror:
      app_.view.toggleMirror();
      syncChecks();
      break;
    case cmd::kGrid: toggleViewFlag(view_flag::kGrid, false); break;
    case cmd::kGridSettings: gridSettings(); break;
    case cmd::kZoomPopup: zoomMenu_->popup(QCursor::pos()); break;
    case cmd::kZoomIn: app_.view.zoomStep(true); break;
    case cmd::kZoomOut: app_.view.zoomStep(false); break;
    case cmd::kHelp: openHelp(); break;
    case cmd::kAbout:
      QMessageBox::about(this, QString::fromUtf8(text::kAboutTitle), QString::fromUtf8(text::kAboutText));
      break;
    default: return false;
  }
  return true;
}

void MainWindow::togglePanel(int n) {
  bool show = !app_.panelVisible(n);
  app_.setPanelVisible(n, show);
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

void MainWindow::toggleViewFlag(uint32_t flag, bool recomposite) {
  app_.settings.view.flags ^= flag;
  if (recomposite) {
    app_.view.refreshAll();
  } else {
    app_.view.renderOnly();
  }
  syncChecks();
}

void MainWindow::gridSettings() {
  ViewOptions& v = app_.settings.view;
  QDialog dialog(this);
  dialog.setWindowTitle(QString::fromUtf8(text::kGridTitle));
  auto* form = new QFormLayout(&dialog);
  auto spin = [&](int value, int low, int high, const char* label) {
    auto* s = new QSpinBox(&dialog);
    s->setRange(low, high);
    s->setValue(value);
    form->addRow(QString::fromUtf8(label), s);
    return s;
  };
  QSpinBox* w = spin(v.gridW, 1, kMaxCanvasSize, text::kGridWidth);
  QSpinBox* h = spin(v.gridH, 1, kMaxCanvasSize, text::kGridHeight);
  QSpinBox* per = spin(v.gridPixelPer, 2, 20, text::kGridPixel);
  auto* cross = new QCheckBox(QString::fromUtf8(text::kCentreCross), &dialog);
  cross->setChecked(v.centreGridColour & 0x80000000u);
  form->addRow(cross);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return;
  v.gridW = w->value();
  v.gridH = h->value();
  v.gridPixelPer = per->value();
  v.centreGridColour = (v.centreGridColour & 0xFFFFFF) | (cross->isChecked() ? 0x80000000u : 0u);
  if ((v.flags & view_flag::kGrid) || app_.view.zoom() >= v.gridPixelPer * 100) app_.view.renderOnly();
}

void MainWindow::openHelp() {
  QString path = QString::fromStdString(programFolder()) + QLatin1Char('/') + QLatin1String(text::kHelpFile);
  if (!QFileInfo::exists(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
    QMessageBox::warning(this, QString(), QString::fromUtf8(text::kHelpMissing));
  }
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
