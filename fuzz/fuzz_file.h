#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// The readers take paths: each input goes through one file per process and
// suffix, kept open and rewritten in place (opening, truncating and closing a
// file per input costs more than most reads) on a memory file system where
// there is one, and removed at exit.
inline std::string writeFuzzInput(const uint8_t* data, size_t size, const char* suffix) {
  static const std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string path = dir + "/tessel_fuzz_" + std::to_string(getpid()) + suffix;
  static std::string openPath;
  static int fd = -1;
  if (path != openPath) {
    if (fd >= 0) close(fd);
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    openPath = path;
  }
  if (fd >= 0) {
    if (size && pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    if (ftruncate(fd, off_t(size)) != 0) std::abort();
  }
  static bool cleanup = (std::atexit([] {
    for (const char* s : {".bmp", ".png", ".psd", ".tsd", ".vrw", ".tst", ".dat", ".tpl", ".aco", ".ora"})
      std::remove((dir + "/tessel_fuzz_" + std::to_string(getpid()) + s).c_str());
  }), true);
  (void)cleanup;
  return path;
}

// The same file under another suffix, for readers that go by it: a symbolic
// link made once, so each input is written once.
inline std::string fuzzInputAlias(const std::string& path, const char* suffix) {
  std::string alias = path.substr(0, path.rfind('.')) + suffix;
  static std::string made;
  if (made.find(alias + '\n') == std::string::npos) {
    std::remove(alias.c_str());
    if (symlink(path.c_str(), alias.c_str()) == 0) made += alias + '\n';
  }
  return alias;
}
