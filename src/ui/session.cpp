#include "ui/session.h"
#include "ui/ui_texts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <unistd.h>

#include "app/files/recovery.h"
#include "app/startup.h"
#include "config/settings_file.h"
#include "platform/scanner_sane.h"
#include "resources/strings.h"
#include "ui/canvas_widget.h"
#include "ui/interface_setup.h"
#include "ui/main_window.h"

namespace tessel {

Session::Session() : app_(std::make_unique<Application>()), shell_(*app_) {}

Session::~Session() { shutdown(); }

bool Session::start(const QString& commandLine) {
  installQtTranslations();
  if (auto* qt = qobject_cast<QApplication*>(QCoreApplication::instance())) installDialogFitting(*qt);
  if (!processorSupported()) {
    QMessageBox box(QMessageBox::Warning, QString(), trq(text::kNoMmx));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    return false;
  }
  const std::string startFolder = QDir::currentPath().toStdString();
  settingsFolder_ = settingsFolderForThisProgram();
  QDir::setCurrent(QString::fromStdString(settingsFolder_));
  app_->loadSettings(settingsFolder_);
  app_->attachShell(shell_);
  app_->autosave = std::make_unique<AutosaveSession>(*app_);
  app_->autosave->start(settingsFolder_);

  const std::string temp = systemTempPath();
  if (!lock_.acquire(temp + "/*Tessel*")) return false;
  // Undo data of instances that ended without cleaning up.
  removeDeadTempFolders(temp + "/~tessel", lock_.otherInstanceRunning());
  app_->tempFolder = chooseTempFolder(temp + "/~tessel", lock_.otherInstanceRunning(), pathExists);

  int maxW = 0, maxH = 0;
  for (QScreen* s : QGuiApplication::screens()) {
    maxW = std::max(maxW, s->geometry().width());
    maxH = std::max(maxH, s->geometry().height());
  }
  app_->view.setZoom(100);
  if (!app_->createScreenBuffer(maxW, maxH)) return false;
  if (!app_->createDefaultDocument()) return false;
  app_->createUndoHistory();
  if (!app_->painting.init()) return false;
  app_->painting.input.hooks.undo = [app = app_.get()] { app->undoStep(false); };
  if (!app_->unpackIcons()) return false;
  if (!createWindows()) return false;
  // Handed over once the menus exist: the library is first opened when a
  // menu is opened or a command has run, not during start-up.
  app_->scanner = makeSaneScanner();
  app_->icons.destroy();   // the windows hold their own button images now
  placeAndShow();
  app_->autosave->offerRecovery(shell_);

  const std::string path = pathFromFolder(commandLinePath(commandLine.toStdString()), startFolder);
  if (!path.empty()) app_->files->openFile(path);

  tempCreated_ = createFolder(app_->tempFolder);
  if (tempCreated_) tempLock_ = lockTempFolder(app_->tempFolder);
  return true;
}

bool Session::createWindows() {
  window_ = std::make_unique<MainWindow>(*app_);
  shell_.setWindow(window_.get());
  window_->canvas()->onFirstPaint = onFirstPaint;
  return window_ != nullptr;
}

void Session::placeAndShow() {
  ShellSettings& s = app_->settings;
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  Rect r = mainWindowRect(s.main, {work.x(), work.y(), work.width(), work.height()});
  window_->setGeometry(r.x, r.y, r.w, r.h);
  const int show = startShowCommand(s.mainShowCmd);
  if (show == 3) {
    window_->showMaximized();
  } else {
    window_->showNormal();
  }
  waitUntilPlaced(show == 3);
  window_->placeAndShowPanels();
  app_->view.centreImage();
  app_->view.refreshAll();
  window_->refreshNavigator();   // the composite exists from here on
  window_->bringToFront();
}

// A window manager frames and maximises the window a little later; the
// panels' places depend on both, so wait for them (briefly: without a
// window manager they never come).
void Session::waitUntilPlaced(bool maximised) {
  QCoreApplication::processEvents();
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) return;
  QElapsedTimer clock;
  clock.start();
  const QRect work = window_->screen() ? window_->screen()->availableGeometry() : QRect();
  auto settled = [&] {
    const bool framed = window_->frameGeometry() != window_->geometry();
    // Maximised means the frame fills the work area, which the window
    // learns only from the window manager's resize.
    const QSize frame = window_->frameGeometry().size();
    return framed && (!maximised || (frame.width() >= work.width() - 8 && frame.height() >= work.height() - 8));
  };
  while (!settled() && clock.elapsed() < 1500) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  QCoreApplication::processEvents();   // the resize that follows the state
}

void Session::shutdown() {
  if (app_->autosave) app_->autosave->shutdown();
  if (window_) {
    QDir::setCurrent(QString::fromStdString(settingsFolder_));
    app_->saveSettings(settingsFolder_);
    shell_.setWindow(nullptr);
    window_.reset();
  }
  if (app_->undo) {   // its temporary files go before the folder
    app_->undo->clear();
    app_->document.setRecorder(nullptr);
    app_->undo.reset();
  }
  if (tempCreated_) {
    removeTempFolder(app_->tempFolder);
    tempCreated_ = false;
  }
  if (tempLock_ >= 0) ::close(tempLock_);
  tempLock_ = -1;
}

}  // namespace tessel
