#include "app/progress_worker.h"

#include <thread>

namespace tessel {

int runOnWorkerThread(const ProgressTask& task, Progress& progress) {
  int result = 0;
  std::thread worker([&] { result = task(progress); });
  worker.join();
  return result;
}

}  // namespace tessel
