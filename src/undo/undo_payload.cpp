#include "undo/undo_payload.h"

#include <cstring>
#include <new>
#include <system_error>

#include "image/byte_order.h"
#include "image/image32.h"
#include "undo/undo_rle.h"

namespace tessel {

std::filesystem::path TempFileStore::pathOf(int number) const {
  char name[16];
  std::snprintf(name, sizeof name, "%04d.tmp", number);
  return folder_ / name;
}

int TempFileStore::create(FilePtr& file) {
  if (folder_.empty()) return -1;
  // A wrapped counter may land on a number a live record still holds.
  for (int tries = 0; tries < kTempFileNumbers; ++tries) {
    int number = counter_;
    if (used_[size_t(number)]) {
      counter_ = (counter_ + 1) % kTempFileNumbers;
      continue;
    }
    file.reset(std::fopen(pathOf(number).c_str(), "wb"));
    if (!file) return -1;
    used_[size_t(number)] = true;
    counter_ = (counter_ + 1) % kTempFileNumbers;
    return number;
  }
  return -1;
}

FilePtr TempFileStore::openForReading(int number) const {
  if (!inUse(number)) return nullptr;
  return FilePtr(std::fopen(pathOf(number).c_str(), "rb"));
}

void TempFileStore::remove(int number) {
  if (!inUse(number)) return;
  std::error_code ignored;
  std::filesystem::remove(pathOf(number), ignored);
  used_[size_t(number)] = false;
}

void PayloadSink::putBytes(const void* data, size_t n) {
  if (!ok_) return;
  if (file_) {
    std::fwrite(data, 1, n, file_);
  } else {
    if (n > capacity_ - written_) {
      ok_ = false;
      return;
    }
    std::memcpy(block_ + written_, data, n);
  }
  written_ += n;
}

void PayloadSink::putInt16(int16_t v) {
  uint8_t b[2];
  writeLE16(b, uint16_t(v));
  putBytes(b, 2);
}

void PayloadSink::putInt32(int32_t v) {
  uint8_t b[4];
  writeLE32(b, uint32_t(v));
  putBytes(b, 4);
}

void PayloadSink::putEncoded(const Image32& image, const Rect& rect, size_t n) {
  putEncoded([&](int y) { return image.row(y) + rect.x; }, rect, n);
}

void PayloadSink::putEncoded(const RleRows& rows, const Rect& rect, size_t n) {
  if (!ok_) return;
  if (!file_) {
    if (n > capacity_ - written_) {
      ok_ = false;
      return;
    }
    written_ += rleEncode(rows, rect, block_ + written_, capacity_ - written_);
    return;
  }
  std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[n ? n : 1]);
  if (!scratch) {
    ok_ = false;
    return;
  }
  size_t len = rleEncode(rows, rect, scratch.get(), n);
  putBytes(scratch.get(), len);
}

bool PayloadSource::getBytes(void* data, size_t n) {
  if (file_) return std::fread(data, 1, n, file_) == n;
  if (n > size_ - pos_) return false;
  std::memcpy(data, block_ + pos_, n);
  pos_ += n;
  return true;
}

bool PayloadSource::getInt16(int16_t& v) {
  uint8_t b[2];
  if (!getBytes(b, 2)) return false;
  v = int16_t(readLE16(b));
  return true;
}

bool PayloadSource::getInt32(int32_t& v) {
  uint8_t b[4];
  if (!getBytes(b, 4)) return false;
  v = int32_t(readLE32(b));
  return true;
}

bool PayloadSource::getEncoded(Image32& image, const Rect& rect, size_t n) {
  // No honest block is larger than four bytes a pixel; a damaged length is
  // not allowed to ask for more memory than that.
  if (rect.empty() || n > size_t(rect.w) * size_t(rect.h) * 4) return false;
  if (!file_) {
    if (n > size_ - pos_) return false;
    bool ok = rleDecode(block_ + pos_, n, image, rect);
    pos_ += n;
    return ok;
  }
  std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[n ? n : 1]);
  if (!scratch || std::fread(scratch.get(), 1, n, file_) != n) return false;
  return rleDecode(scratch.get(), n, image, rect);
}

}  // namespace tessel
