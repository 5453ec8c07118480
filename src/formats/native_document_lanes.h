#pragma once
#include <array>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tessel {

// Two lanes for the layer jobs of one document load or save: one helper
// thread and the calling thread both run jobs, always claiming the lowest
// published one, while the calling thread alone prepares the jobs' input and
// consumes their results in order. Job j lives in slot j % kSlots, so at most
// kSlots jobs are published and not yet consumed.
class JobLanes {
 public:
  static constexpr int kSlots = 4;

  // run(job) must touch only the job's own slot.
  explicit JobLanes(std::function<void(int)> run) : run_(std::move(run)) {}
  JobLanes(const JobLanes&) = delete;
  JobLanes& operator=(const JobLanes&) = delete;
  // Lets the job the helper is running finish; unstarted jobs never run.
  ~JobLanes();

  // Starts the helper thread; false when it cannot be made (nothing runs then).
  bool start();
  // Job j (the next index) may run; its slot must have been consumed.
  void publish(int job);
  bool isDone(int job);
  // Runs the lowest published job that no lane has claimed; false when none.
  bool runOne();
  // Blocks until the published job has finished; it must have been claimed.
  void waitFor(int job);
  // Drops the published jobs from job on once the claimed ones have finished;
  // the next job published must be job.
  void rewind(int job);

 private:
  void helperLoop();

  std::function<void(int)> run_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::array<bool, kSlots> done_{};
  int published_ = 0;   // jobs below this may run
  int claimed_ = 0;     // jobs below this have been taken by a lane
  bool stop_ = false;
  std::thread helper_;
};

}  // namespace tessel
