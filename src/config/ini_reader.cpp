#include "config/ini_reader.h"

#include <cstring>

#include "io/file.h"

namespace tessel {

namespace {

// Code page 936: a byte of 0x81 or more leads a two-byte character.
bool leadsDoubleByte(char c) { return uint8_t(c) >= 0x81; }

}  // namespace

void IniReader::setText(std::string_view text) {
  lines_.clear();
  hasSection_ = false;
  size_t start = 0, i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (leadsDoubleByte(c) && i + 1 < text.size()) {
      i += 2;   // the trail byte is never a line end
      continue;
    }
    if (c == '\r' || c == '\n') {
      lines_.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
      continue;
    }
    ++i;
  }
  if (start < text.size()) lines_.emplace_back(text.substr(start));
}

bool IniReader::load(const std::string& path) {
  File file;
  std::string text;
  if (file.openRead(path)) {
    int64_t size = file.size();
    if (size > 0 && size < (int64_t(1) << 30)) {
      text.resize(size_t(size));
      text.resize(file.read(text.data(), text.size()));
    }
  }
  setText(text);
  return !text.empty();
}

bool IniReader::selectSection(const std::string& name) {
  hasSection_ = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    if (line.size() >= name.size() + 2 && line[0] == '[' && line.compare(1, name.size(), name) == 0 &&
        line[name.size() + 1] == ']') {
      sectionLine_ = i;
      hasSection_ = true;
      return true;
    }
  }
  return false;
}

const std::string* IniReader::find(const std::string& key) const {
  if (!hasSection_) return nullptr;
  for (size_t i = sectionLine_ + 1; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    if (!line.empty() && line[0] == '[') break;
    if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == '=')
      return &line;
  }
  return nullptr;
}

int IniReader::atoi(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Wraps like a 32-bit register instead of overflowing.
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + uint32_t(text[i] - '0');
  return int(negative ? 0u - value : value);
}

uint32_t IniReader::hex(std::string_view text) {
  uint32_t value = 0;
  for (size_t i = 0; i < text.size() && i < 8; ++i) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      break;
    value = (value << 4) + uint32_t(digit);
  }
  return value;
}

int IniReader::readInt(const std::string& key, int def) const {
  const std::string* line = find(key);
  return line ? atoi(std::string_view(*line).substr(key.size() + 1)) : def;
}

int IniReader::readIntByNumber(int n, int def) const { return readInt(std::to_string(n), def); }

uint32_t IniReader::readHex(const std::string& key, uint32_t def) const {
  const std::string* line = find(key);
  return line ? hex(std::string_view(*line).substr(key.size() + 1)) : def;
}

uint32_t IniReader::readHexByNumber(int n, uint32_t def) const { return readHex(std::to_string(n), def); }

std::string IniReader::readString(const std::string& key, const std::string& def) const {
  const std::string* line = find(key);
  return line ? line->substr(key.size() + 1) : def;
}

void IniReader::readStringInto(const std::string& key, char* buffer, size_t size, const char* def) const {
  if (size == 0) return;
  const std::string* line = find(key);
  std::string_view value = line ? std::string_view(*line).substr(key.size() + 1) : std::string_view(def);
  size_t n = 0;
  while (n < value.size() && value[n] != '\0') {
    size_t len = leadsDoubleByte(value[n]) ? 2 : 1;
    if (n + len > size - 1) break;
    n += len;
  }
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
}

int IniReader::readList(const std::string& key, void* buffer, int maxCount, int elementSize) const {
  const std::string* line = find(key);
  if (!line) return 0;
  std::string value = line->substr(key.size() + 1) + ",";
  auto* out = static_cast<uint8_t*>(buffer);
  int stored = 0;
  size_t start = 0;
  while (stored < maxCount) {
    size_t comma = value.find(',', start);
    if (comma == std::string::npos || comma == start) break;
    uint32_t v = uint32_t(atoi(std::string_view(value).substr(start, comma - start)));
    if (elementSize == 1) {
      out[stored] = uint8_t(v);
    } else if (elementSize == 2) {
      uint16_t w = uint16_t(v);
      std::memcpy(out + stored * 2, &w, 2);
    } else {
      std::memcpy(out + stored * 4, &v, 4);
    }
    ++stored;
    start = comma + 1;
  }
  return stored;
}

}  // namespace tessel
