#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "app/files/autosave.h"
#include "app/files/recovery.h"

namespace tessel {

class Application;
class Shell;

// The autosave of one running program: when it is due, the slices of a run,
// the recovery file and its record, and the start-up questions about files
// that instances which are gone left behind.
class AutosaveSession {
 public:
  using Clock = std::chrono::steady_clock;
  explicit AutosaveSession(Application& app) : app_(app) {}

  // The recovery folder beside the settings; the interval comes from the
  // settings (minutes) unless TESSEL_AUTOSAVE_SECONDS gives seconds.
  bool start(const std::string& settingsFolder);
  void setIntervalSeconds(int seconds);
  int intervalSeconds() const { return intervalSeconds_; }
  // Takes the interval from the settings again (after the settings dialog).
  void settingsChanged();

  // Called from a timer. Begins a run when it is due and the document has
  // unsaved changes the recovery file does not hold yet, and runs one slice
  // of a run in progress. True while a run is in progress (call again soon).
  bool tick(Clock::time_point now);
  // What the status bar shows after a run; empty before the first.
  const std::string& note() const { return note_; }
  bool lastRunFailed() const { return failed_; }

  // The document was saved or replaced: its recovery file goes.
  void documentSaved();
  void documentReplaced();
  // A normal end of the program, whatever was answered about the changes.
  void shutdown();

  // One question per recovery file of an instance that is gone; recover
  // opens it (the first only when several are accepted, after the usual
  // unsaved-changes question), discard removes it. Returns files recovered.
  int offerRecovery(Shell& shell);

  Autosaver& saver() { return saver_; }
  RecoveryStore& store() { return store_; }

 private:
  Application& app_;
  RecoveryStore store_;
  Autosaver saver_;
  int intervalSeconds_ = 300;
  bool envOverride_ = false;
  Clock::time_point due_{};
  std::string note_;
  bool failed_ = false;
};

// The question for one recovery file.
std::string recoveryQuestion(const RecoveryEntry& entry);

}  // namespace tessel
