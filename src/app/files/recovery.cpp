#include "app/files/recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>

#include "app/startup.h"
#include "io/file.h"

namespace tessel {

namespace {

constexpr const char* kTempLockName = "instance.lock";

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Takes the lock when nobody holds it; -1 otherwise.
int tryLock(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// The files directly inside, then the folder.
bool removeFolder(const std::string& path) {
  for (const std::string& name : namesIn(path)) {
    struct stat st {};
    const std::string full = path + "/" + name;
    if (lstat(full.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(full.c_str());
  }
  return rmdir(path.c_str()) == 0;
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

RecoveryStore::~RecoveryStore() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

bool RecoveryStore::open(const std::string& folder) {
  if (!createFolders(folder)) return false;
  folder_ = folder;
  for (int n = 0; n < 100 && lockFd_ < 0; ++n) {
    id_ = std::to_string(getpid()) + "-" + std::to_string(std::time(nullptr)) + (n ? "-" + std::to_string(n) : "");
    if (pathExists(folder_ + "/" + id_ + ".lock")) continue;
    lockFd_ = tryLock(folder_ + "/" + id_ + ".lock");
  }
  return lockFd_ >= 0;
}

std::string RecoveryStore::documentPath() const { return folder_ + "/" + id_ + ".tsd"; }
std::string RecoveryStore::recordPath() const { return folder_ + "/" + id_ + ".txt"; }

bool RecoveryStore::writeRecord(const std::string& documentPath, const std::string& title, int64_t when) {
  if (!isOpen()) return false;
  const std::string text = "path=" + documentPath + "\ntitle=" + title + "\ntime=" + std::to_string(when) + "\n";
  return saveReplacing(recordPath(), [&](File& f) { return f.writeAll(text.data(), text.size()); });
}

bool RecoveryStore::hasFile() const { return isOpen() && fileExists(documentPath()); }

void RecoveryStore::removeFiles() {
  if (!isOpen()) return;
  std::remove(documentPath().c_str());
  std::remove(recordPath().c_str());
}

void RecoveryStore::close() {
  if (!isOpen()) return;
  removeFiles();
  std::remove((folder_ + "/" + id_ + ".lock").c_str());
  ::close(lockFd_);
  lockFd_ = -1;
}

std::vector<RecoveryEntry> findOrphans(const std::string& folder) {
  std::vector<RecoveryEntry> found;
  for (const std::string& name : namesIn(folder)) {
    if (!endsWith(name, ".lock")) continue;
    const std::string id = name.substr(0, name.size() - 5);
    const std::string base = folder + "/" + id;
    int fd = tryLock(base + ".lock");
    if (fd < 0) continue;   // its instance still runs
    RecoveryEntry e;
    e.id = id;
    e.file = base + ".tsd";
    std::ifstream record(base + ".txt");
    for (std::string line; std::getline(record, line);) {
      if (line.rfind("path=", 0) == 0) e.documentPath = line.substr(5);
      else if (line.rfind("title=", 0) == 0) e.title = line.substr(6);
      else if (line.rfind("time=", 0) == 0) e.written = std::strtoll(line.c_str() + 5, nullptr, 10);
    }
    if (fileExists(e.file)) {
      if (e.written == 0) e.written = fileStamp(e.file).mtimeNs / 1000000000;
      found.push_back(e);
    } else {
      discardOrphan(e);
    }
    ::close(fd);
  }
  std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.written < b.written; });
  return found;
}

void discardOrphan(const RecoveryEntry& entry) {
  const std::string base = folderOf(entry.file) + "/" + entry.id;
  std::remove((base + ".tsd").c_str());
  std::remove((base + ".txt").c_str());
  std::remove((base + ".lock").c_str());
}

bool adoptOrphan(const RecoveryEntry& entry, RecoveryStore& store) {
  if (!store.isOpen() || std::rename(entry.file.c_str(), store.documentPath().c_str()) != 0) return false;
  discardOrphan(entry);
  return true;
}

std::string formatLocalTime(int64_t seconds) {
  std::time_t t = std::time_t(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

int lockTempFolder(const std::string& folder) { return tryLock(folder + "/" + kTempLockName); }

int removeDeadTempFolders(const std::string& base, bool otherInstanceRunning) {
  const std::string parent = folderOf(base), prefix = fileNameOf(base);
  int removed = 0;
  for (const std::string& name : namesIn(parent)) {
    if (name.rfind(prefix, 0) != 0) continue;
    const std::string rest = name.substr(prefix.size());
    if (!std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    const std::string folder = parent + "/" + name;
    if (!isFolder(folder)) continue;
    const std::string lock = folder + "/" + kTempLockName;
    bool dead;
    if (fileExists(lock)) {
      int fd = tryLock(lock);
      dead = fd >= 0;
      if (fd >= 0) ::close(fd);
    } else {
      dead = !otherInstanceRunning;
    }
    if (dead && removeFolder(folder)) ++removed;
  }
  return removed;
}

}  // namespace tessel
