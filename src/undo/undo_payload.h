#pragma once
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "image/geometry.h"
#include "undo/undo_rle.h"

namespace tessel {

class Image32;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

constexpr int kTempFileNumbers = 4096;

// The numbered payload files "%04d.tmp" in the history's temporary folder.
// Numbers come from a counter that wraps at 4096 and skips numbers still in use.
class TempFileStore {
 public:
  void setFolder(const std::filesystem::path& folder) { folder_ = folder; }
  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path pathOf(int number) const;

  // Creates the next free file, empty and open for writing. -1 on failure.
  int create(FilePtr& file);
  FilePtr openForReading(int number) const;
  void remove(int number);
  bool inUse(int number) const { return number >= 0 && number < kTempFileNumbers && used_[size_t(number)]; }
  int counter() const { return counter_; }
  void setCounter(int n) { counter_ = ((n % kTempFileNumbers) + kTempFileNumbers) % kTempFileNumbers; }

 private:
  std::filesystem::path folder_;
  int counter_ = 0;
  std::bitset<kTempFileNumbers> used_;
};

// Writes a payload sequentially into a heap block or an open file; the bytes
// are the same either way, integers little-endian.
class PayloadSink {
 public:
  PayloadSink(uint8_t* block, size_t capacity) : block_(block), capacity_(capacity) {}
  explicit PayloadSink(std::FILE* file) : file_(file) {}

  void putInt16(int16_t v);
  void putInt32(int32_t v);
  void putBytes(const void* data, size_t n);
  // The encoded pixels of rect, whose exact size n the caller computed.
  void putEncoded(const Image32& image, const Rect& rect, size_t n);
  void putEncoded(const RleRows& rows, const Rect& rect, size_t n);
  // False once a block overflowed or the encoding scratch buffer was missing.
  // File write errors are not tracked.
  bool ok() const { return ok_; }
  size_t written() const { return written_; }

 private:
  uint8_t* block_ = nullptr;
  size_t capacity_ = 0;
  std::FILE* file_ = nullptr;
  size_t written_ = 0;
  bool ok_ = true;
};

// Reads a payload sequentially from a heap block or a file.
class PayloadSource {
 public:
  PayloadSource(const uint8_t* block, size_t size) : block_(block), size_(size) {}
  explicit PayloadSource(std::FILE* file) : file_(file) {}

  bool getInt16(int16_t& v);
  bool getInt32(int32_t& v);
  bool getBytes(void* data, size_t n);
  // n encoded bytes decoded into rect of image.
  bool getEncoded(Image32& image, const Rect& rect, size_t n);

 private:
  const uint8_t* block_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
  std::FILE* file_ = nullptr;
};

}  // namespace tessel
