#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// Reads config.ini the way the program always has: sections in any order,
// case-sensitive keys compared as prefixes followed directly by "=", no
// trimming, no comments, no quoting. Anything not found yields the default.
class IniReader {
 public:
  // The whole text; lines end at CR LF, a lone CR or a lone LF.
  void setText(std::string_view text);
  bool load(const std::string& path);

  // False (and every lookup gives its default) when no line heads that section.
  bool selectSection(const std::string& name);

  int readInt(const std::string& key, int def) const;
  int readIntByNumber(int n, int def) const;
  uint32_t readHex(const std::string& key, uint32_t def) const;
  uint32_t readHexByNumber(int n, uint32_t def) const;
  std::string readString(const std::string& key, const std::string& def) const;
  // Cut to size - 1 bytes, never inside a double-byte character.
  void readStringInto(const std::string& key, char* buffer, size_t size, const char* def) const;
  // Decimal pieces separated by commas, each stored in elementSize (1, 2 or 4)
  // bytes, until maxCount are stored or a piece is empty; the rest of buffer
  // keeps what the caller put there. Returns the number stored.
  int readList(const std::string& key, void* buffer, int maxCount, int elementSize) const;

  // Conversions as the reader applies them.
  static int atoi(std::string_view text);
  static uint32_t hex(std::string_view text);

 private:
  const std::string* find(const std::string& key) const;

  std::vector<std::string> lines_;
  size_t sectionLine_ = 0;
  bool hasSection_ = false;
};

}  // namespace tessel
