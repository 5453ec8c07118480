#pragma once
#include "app/shell.h"

namespace tessel {

// Runs task on one worker thread and waits for it; progress is called from
// that thread only. For shells without a dialog (the command line, tests).
int runOnWorkerThread(const ProgressTask& task, Progress& progress);

// Progress that goes nowhere.
class NullProgress : public Progress {
 public:
  void setRange(int) override {}
  void step() override {}
};

}  // namespace tessel
