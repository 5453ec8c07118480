#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tessel {

// Thin layer over the platform's file calls. Reads and writes return the
// number of bytes transferred (0 on error); the typed readers succeed only
// when every byte arrived, so a file that ends early never yields a value
// that was not read.
class File {
 public:
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& o) noexcept;
  File& operator=(File&& o) noexcept;
  ~File() { close(); }

  bool openRead(const std::string& path);
  // Creates or truncates the file for writing.
  bool create(const std::string& path);
  bool isOpen() const { return fd_ >= 0; }
  void close();

  size_t read(void* buffer, size_t count);
  size_t write(const void* data, size_t count);
  // Reads at offset without moving the position; safe alongside the other
  // calls on another thread as long as the file stays open.
  size_t readAt(int64_t offset, void* buffer, size_t count) const;
  bool readAll(void* buffer, size_t count) { return read(buffer, count) == count; }
  bool writeAll(const void* data, size_t count) { return write(data, count) == count; }

  bool seek(int64_t position);
  bool seekBy(int64_t offset);   // relative to the current position
  bool seekToEnd();
  int64_t position() const;
  int64_t size() const;
  // Moves forward by count bytes; false when that passes the end of the file.
  bool skip(int64_t count);
  // Flushes written data to the disk.
  bool sync();

  bool readU8(uint8_t& v);
  bool readU16LE(uint16_t& v);
  bool readU32LE(uint32_t& v);
  bool readU16BE(uint16_t& v);
  bool readU32BE(uint32_t& v);
  bool writeU8(uint8_t v);
  bool writeU16LE(uint16_t v);
  bool writeU32LE(uint32_t v);
  bool writeU16BE(uint16_t v);
  bool writeU32BE(uint32_t v);

  // Fault injection for tests: every write after `bytes` more bytes fails.
  void failWritesAfter(int64_t bytes) { writeBudget_ = bytes; }
  // True after a read of this file failed with an error rather than at the end.
  bool readFailed() const { return readError_; }

 private:
  int fd_ = -1;
  int64_t writeBudget_ = -1;
  bool readError_ = false;
};

// Process-wide fault injection for tests, shared by every File: the write
// call numbered `call` (counted from 0 after arming, across all files) and
// every later one fail as a full disk would; a read call likewise fails as
// an I/O error. -1 disarms. The counters let a test learn how many calls a
// save makes.
namespace file_faults {
void failWriteCall(int64_t call);
void failReadCall(int64_t call);
int64_t writeCalls();
int64_t readCalls();
// Reads that failed with an error (injected or real) since the program
// started; a reader's caller compares it before and after.
int64_t readErrors();
void reset();
}  // namespace file_faults

// Writes a file so that a failure never destroys an earlier file of that
// name: write() fills a temporary file in the same folder, which is flushed
// and renamed over path only after write() succeeded; otherwise it is removed.
// After the rename the folder is flushed too, so the new name survives a
// power cut.
bool saveReplacing(const std::string& path, const std::function<bool(File&)>& write);

bool fileExists(const std::string& path);
// Flushes a folder's entries (after a rename into it).
bool syncFolder(const std::string& folder);
// Size and modification time, to tell whether a file changed under a reader.
struct FileStamp {
  int64_t size = -1;
  int64_t mtimeNs = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp fileStamp(const std::string& path);
// Text after the last dot of the file name, or empty.
std::string fileExtension(const std::string& path);
// Folder part without the trailing separator (empty when there is none).
std::string folderOf(const std::string& path);
// File name without folder.
std::string fileNameOf(const std::string& path);
// File name without folder and extension.
std::string baseNameOf(const std::string& path);
bool equalsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace tessel
