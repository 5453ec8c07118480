#include "platform/instance.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace tessel {

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) close(fd_);
}

bool InstanceLock::acquire(const std::string& path) {
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) return false;
  other_ = flock(fd_, LOCK_EX | LOCK_NB) != 0;
  // Hold it shared from now on so that later instances see this one.
  int rc;
  do {
    rc = flock(fd_, LOCK_SH);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

std::string systemTempPath() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = dir && *dir ? dir : "/tmp";
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool pathExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool createFolder(const std::string& path) {
  return mkdir(path.c_str(), 0700) == 0 || pathExists(path);
}

bool removeTempFolder(const std::string& path) {
  DIR* dir = opendir(path.c_str());
  if (!dir) return false;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string full = path + "/" + name;
    struct stat st;
    if (lstat(full.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(full.c_str());
  }
  closedir(dir);
  return rmdir(path.c_str()) == 0;
}

}  // namespace tessel
