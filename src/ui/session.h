#pragma once
#include <QString>
#include <functional>
#include <memory>

#include "app/application.h"
#include "platform/instance.h"
#include "ui/qt_shell.h"

namespace tessel {

class MainWindow;

// One run of the program: start-up in its order, the windows, and shutdown.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // False when the program must end (exit code 0).
  bool start(const QString& commandLine);
  // After the event loop: settings are written and the temporary folder goes.
  void shutdown();

  // Called once, at the canvas's first paint.
  std::function<void()> onFirstPaint;

  Application& app() { return *app_; }
  MainWindow* window() { return window_.get(); }

 private:
  bool createWindows();
  void placeAndShow();
  void waitUntilPlaced(bool maximised);

  std::unique_ptr<Application> app_;
  QtShell shell_;
  std::string settingsFolder_;
  InstanceLock lock_;
  std::unique_ptr<MainWindow> window_;
  bool tempCreated_ = false;
  int tempLock_ = -1;   // held while the temporary folder is ours
};

}  // namespace tessel
