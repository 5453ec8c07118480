#include "config/key_table.h"

#include <vector>

#include "io/file.h"
#include "image/byte_order.h"

namespace tessel {

void KeyTable::reset() {
  int n = 0;
  for (int group = 0; group < kGroupCount; ++group)
    for (int item = 0; item < kGroupSizes[size_t(group)]; ++item) entries_[size_t(n++)] = uint16_t((group * 32 + item) << 8);
}

int KeyTable::indexOf(int group, int item) const {
  if (group < 0 || group >= kGroupCount || item < 0 || item >= kGroupSizes[size_t(group)]) return -1;
  int n = item;
  for (int g = 0; g < group; ++g) n += kGroupSizes[size_t(g)];
  return n;
}

uint8_t KeyTable::keyFor(int group, int item) const {
  int i = indexOf(group, item);
  return i < 0 ? 0 : uint8_t(entries_[size_t(i)]);
}

bool KeyTable::assign(int group, int item, uint8_t virtualKey) {
  int i = indexOf(group, item);
  if (i < 0) return false;
  entries_[size_t(i)] = uint16_t((entries_[size_t(i)] & 0xFF00) | virtualKey);
  return true;
}

void KeyTable::parse(const uint8_t* data, size_t size) {
  if (size < 2) return;
  size_t count = readLE16(data);
  // A count larger than the file holds takes the entries that are there.
  if (count > (size - 2) / 2) count = (size - 2) / 2;
  for (size_t e = 0; e < count; ++e) {
    uint16_t value = readLE16(data + 2 + e * 2);
    for (uint16_t& entry : entries_) {
      if ((entry >> 8) == (value >> 8)) {
        entry = value;
        break;
      }
    }
  }
}

std::string KeyTable::serialise() const {
  std::string out;
  out.push_back(char(kEntryCount & 0xFF));
  out.push_back(char(kEntryCount >> 8));
  for (uint16_t entry : entries_) {
    out.push_back(char(entry & 0xFF));
    out.push_back(char(entry >> 8));
  }
  return out;
}

bool KeyTable::load(const std::string& path) {
  File file;
  if (!file.openRead(path)) return false;
  int64_t size = file.size();
  if (size <= 0 || size > 1 << 20) return false;
  std::vector<uint8_t> data(static_cast<size_t>(size));
  data.resize(file.read(data.data(), data.size()));
  parse(data.data(), data.size());
  return true;
}

bool KeyTable::save(const std::string& path) const {
  std::string bytes = serialise();
  return saveReplacing(path, [&](File& file) { return file.writeAll(bytes.data(), bytes.size()); });
}

}  // namespace tessel
