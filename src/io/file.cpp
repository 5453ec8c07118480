#include "io/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <strings.h>

#include "image/byte_order.h"

namespace tessel {

namespace file_faults {
namespace {
std::atomic<int64_t> failWriteAt{-1}, failReadAt{-1}, writes{0}, reads{0}, readErrorCount{0};
}  // namespace
void failWriteCall(int64_t call) {
  writes = 0;
  failWriteAt = call;
}
void failReadCall(int64_t call) {
  reads = 0;
  failReadAt = call;
}
int64_t writeCalls() { return writes; }
int64_t readCalls() { return reads; }
int64_t readErrors() { return readErrorCount; }
void countReadError() { ++readErrorCount; }
void reset() {
  failWriteAt = -1;
  failReadAt = -1;
  writes = 0;
  reads = 0;
}
// True when this call is to fail.
bool writeFails() {
  int64_t n = writes++;
  int64_t at = failWriteAt;
  return at >= 0 && n >= at;
}
bool readFails() {
  int64_t n = reads++;
  int64_t at = failReadAt;
  return at >= 0 && n >= at;
}
}  // namespace file_faults

File::File(File&& o) noexcept : fd_(o.fd_), writeBudget_(o.writeBudget_), readError_(o.readError_) { o.fd_ = -1; }

File& File::operator=(File&& o) noexcept {
  if (this != &o) {
    close();
    fd_ = o.fd_;
    writeBudget_ = o.writeBudget_;
    readError_ = o.readError_;
    o.fd_ = -1;
  }
  return *this;
}

bool File::openRead(const std::string& path) {
  close();
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  readError_ = false;
  if (fd_ < 0) return false;
  struct stat st {};
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    close();
    return false;
  }
  return true;
}

bool File::create(const std::string& path) {
  close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  writeBudget_ = -1;
  return fd_ >= 0;
}

void File::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

size_t File::read(void* buffer, size_t count) {
  if (fd_ < 0) return 0;
  if (file_faults::readFails()) {
    readError_ = true;
    file_faults::countReadError();
    return 0;
  }
  auto* p = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      readError_ = true;
      file_faults::countReadError();
    }
    if (n <= 0) break;
    done += size_t(n);
  }
  return done;
}

size_t File::readAt(int64_t offset, void* buffer, size_t count) const {
  if (fd_ < 0 || offset < 0) return 0;
  if (file_faults::readFails()) {
    file_faults::countReadError();
    return 0;
  }
  auto* p = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(fd_, p + done, count - done, off_t(offset + int64_t(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) file_faults::countReadError();
    if (n <= 0) break;
    done += size_t(n);
  }
  return done;
}

size_t File::write(const void* data, size_t count) {
  if (fd_ < 0) return 0;
  if (file_faults::writeFails()) {
    errno = ENOSPC;
    return 0;
  }
  if (writeBudget_ >= 0 && int64_t(count) > writeBudget_) count = size_t(writeBudget_);
  const auto* p = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += size_t(n);
  }
  if (writeBudget_ >= 0) writeBudget_ -= int64_t(done);
  return done;
}

bool File::seek(int64_t position) {
  return fd_ >= 0 && position >= 0 && lseek(fd_, off_t(position), SEEK_SET) == off_t(position);
}

bool File::seekBy(int64_t offset) {
  int64_t now = position();
  return now >= 0 && seek(now + offset);
}

bool File::seekToEnd() { return fd_ >= 0 && lseek(fd_, 0, SEEK_END) >= 0; }

int64_t File::position() const { return fd_ < 0 ? -1 : int64_t(lseek(fd_, 0, SEEK_CUR)); }

int64_t File::size() const {
  struct stat st {};
  if (fd_ < 0 || fstat(fd_, &st) != 0) return -1;
  return int64_t(st.st_size);
}

bool File::skip(int64_t count) {
  int64_t now = position(), total = size();
  if (now < 0 || total < 0 || count < 0 || count > total - now) return false;
  return seek(now + count);
}

bool File::sync() { return fd_ >= 0 && fsync(fd_) == 0; }

bool File::readU8(uint8_t& v) { return readAll(&v, 1); }

bool File::readU16LE(uint16_t& v) {
  uint8_t b[2];
  if (!readAll(b, 2)) return false;
  v = readLE16(b);
  return true;
}

bool File::readU32LE(uint32_t& v) {
  uint8_t b[4];
  if (!readAll(b, 4)) return false;
  v = readLE32(b);
  return true;
}

bool File::readU16BE(uint16_t& v) {
  uint8_t b[2];
  if (!readAll(b, 2)) return false;
  v = readBE16(b);
  return true;
}

bool File::readU32BE(uint32_t& v) {
  uint8_t b[4];
  if (!readAll(b, 4)) return false;
  v = readBE32(b);
  return true;
}

bool File::writeU8(uint8_t v) { return writeAll(&v, 1); }

bool File::writeU16LE(uint16_t v) {
  uint8_t b[2];
  writeLE16(b, v);
  return writeAll(b, 2);
}

bool File::writeU32LE(uint32_t v) {
  uint8_t b[4];
  writeLE32(b, v);
  return writeAll(b, 4);
}

bool File::writeU16BE(uint16_t v) {
  uint8_t b[2];
  writeBE16(b, v);
  return writeAll(b, 2);
}

bool File::writeU32BE(uint32_t v) {
  uint8_t b[4];
  writeBE32(b, v);
  return writeAll(b, 4);
}

bool saveReplacing(const std::string& path, const std::function<bool(File&)>& write) {
  static std::atomic<unsigned> serial{0};
  std::string folder = folderOf(path);
  std::string temp = (folder.empty() ? std::string() : folder + "/") + ".~" + fileNameOf(path) + "." +
                     std::to_string(getpid()) + "." + std::to_string(serial++) + ".tmp";
  File file;
  if (!file.create(temp)) return false;
  bool ok = write(file) && file.sync();
  file.close();
  // A directory in the target's place would take the file inside it on some
  // systems; here it is a failure that leaves the directory alone.
  struct stat st {};
  if (ok && stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) ok = false;
  if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    std::remove(temp.c_str());
    return false;
  }
  syncFolder(folder.empty() ? std::string(".") : folder);
  return true;
}

bool syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  ::close(fd);
  return ok;
}

FileStamp fileStamp(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return {};
  return {int64_t(st.st_size), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string fileExtension(const std::string& path) {
  std::string name = fileNameOf(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

std::string fileNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string baseNameOf(const std::string& path) {
  std::string name = fileNameOf(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

}  // namespace tessel
