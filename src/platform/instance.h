#pragma once
#include <string>

namespace tessel {

// The single-instance mark: a lock file in the system temporary folder.
// Every running instance holds a shared lock on it; an instance that cannot
// take it exclusively knows that another one runs. A lock left by a crashed
// process is released by the system, so it does not count.
class InstanceLock {
 public:
  InstanceLock() = default;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock();

  // False when the lock file cannot be opened at all.
  bool acquire(const std::string& path);
  bool otherInstanceRunning() const { return other_; }

 private:
  int fd_ = -1;
  bool other_ = false;
};

// The system temporary path, without a trailing slash.
std::string systemTempPath();
bool pathExists(const std::string& path);
bool createFolder(const std::string& path);
// Deletes the files directly inside the folder (sub-folders are not
// entered), then the folder itself.
bool removeTempFolder(const std::string& path);

}  // namespace tessel
