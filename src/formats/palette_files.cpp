#include "formats/palette_files.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "io/file.h"
#include "formats/image_loader.h"

namespace tessel {

namespace {

int64_t remaining(const File& file) { return file.size() - file.position(); }

// count colours into out (at most kPaletteColours kept), the rest skipped.
bool readColours(File& file, uint32_t count, uint32_t* out) {
  if (int64_t(count) * 4 > remaining(file)) return false;
  uint32_t kept = std::min<uint32_t>(count, kPaletteColours);
  uint8_t bytes[kPaletteColours * 4];
  if (!file.readAll(bytes, size_t(kept) * 4) || !file.skip(int64_t(count - kept) * 4)) return false;
  for (uint32_t i = 0; i < kept; ++i)
    out[i] = (uint32_t(bytes[i * 4]) | uint32_t(bytes[i * 4 + 1]) << 8 | uint32_t(bytes[i * 4 + 2]) << 16 |
              uint32_t(bytes[i * 4 + 3]) << 24) & 0xFFFFFFu;
  std::fill(out + kept, out + kPaletteColours, kPaletteEmpty);
  return true;
}

bool writeColours(File& file, const uint32_t* colours) {
  uint8_t bytes[kPaletteColours * 4];
  for (int i = 0; i < kPaletteColours; ++i)
    for (int k = 0; k < 4; ++k) bytes[i * 4 + k] = uint8_t(colours[i] >> (8 * k));
  return file.writeAll(bytes, sizeof bytes);
}

bool readTplFile(const std::string& path, uint32_t* out) {
  File file;
  char magic[sizeof kPaletteFileMagic];
  uint8_t version = 1;
  uint16_t count = 0;
  return file.openRead(path) && file.readAll(magic, sizeof magic) &&
         std::memcmp(magic, kPaletteFileMagic, sizeof magic) == 0 && file.readU8(version) && version == 0 &&
         file.readU16LE(count) && readColours(file, count, out);
}

// Adobe swatches, first section only; big-endian.
bool readAcoFile(const std::string& path, uint32_t* out) {
  File file;
  uint16_t version = 0, count = 0;
  if (!file.openRead(path) || !file.readU16BE(version) || (version != 1 && version != 2) ||
      !file.readU16BE(count))
    return false;
  uint32_t kept = std::min<uint32_t>(count, kPaletteColours);
  for (uint32_t i = 0; i < kept; ++i) {
    uint8_t entry[10];
    if (!file.readAll(entry, sizeof entry)) return false;
    out[i] = uint32_t(entry[2]) << 16 | uint32_t(entry[4]) << 8 | entry[6];
    if (version == 2) {
      uint32_t length = 0;
      if (!file.readU32BE(length) || !file.skip(int64_t(length & 0xFFFF) * 2)) return false;
    }
  }
  std::fill(out + kept, out + kPaletteColours, kPaletteEmpty);
  return true;
}

}  // namespace

void PaletteSet::clear() {
  tabCount = 0;
  for (int t = 0; t < kPaletteTabs; ++t) clearTab(t);
}

void PaletteSet::clearTab(int tab) {
  if (tab >= 0 && tab < kPaletteTabs) std::fill(colours[tab], colours[tab] + kPaletteColours, kPaletteEmpty);
}

bool loadPaletteSet(const std::string& path, PaletteSet& set) {
  set.clear();
  set.changed = false;
  File file;
  char magic[sizeof kPaletteSetMagic];
  uint8_t version = 1, tabs = 0;
  if (!file.openRead(path) || !file.readAll(magic, sizeof magic) ||
      std::memcmp(magic, kPaletteSetMagic, sizeof magic) != 0 || !file.readU8(version) || version != 0 ||
      !file.readU8(tabs))
    return false;
  const int kept = std::min<int>(tabs, kPaletteTabs);
  for (int t = 0; t < kept; ++t) {
    uint16_t count = 0;
    if (!file.readU16LE(count) || !readColours(file, count, set.colours[t])) {
      set.clear();
      return false;
    }
  }
  set.tabCount = kept;
  return true;
}

bool savePaletteSet(const std::string& path, PaletteSet& set) {
  if (!set.changed) return true;
  bool ok = saveReplacing(path, [&](File& file) {
    if (!file.writeAll(kPaletteSetMagic, sizeof kPaletteSetMagic) || !file.writeU8(0) ||
        !file.writeU8(uint8_t(set.tabCount)))
      return false;
    for (int t = 0; t < set.tabCount; ++t)
      if (!file.writeU16LE(kPaletteColours) || !writeColours(file, set.colours[t])) return false;
    return true;
  });
  if (ok) set.changed = false;
  return ok;
}

bool importPaletteFile(const std::string& path, PaletteSet& set, int tab) {
  if (tab < 0 || tab >= kPaletteTabs) return false;
  std::vector<uint32_t> colours(kPaletteColours);
  std::string extension = fileExtension(path);
  bool ok = false;
  if (equalsIgnoreCase(extension, "tpl"))
    ok = readTplFile(path, colours.data());
  else if (equalsIgnoreCase(extension, "aco"))
    ok = readAcoFile(path, colours.data());
  if (!ok) return false;
  std::copy(colours.begin(), colours.end(), set.colours[tab]);
  set.tabCount = std::max(set.tabCount, tab + 1);
  set.changed = true;
  return true;
}

bool exportPaletteFile(const std::string& path, const PaletteSet& set, int tab) {
  if (tab < 0 || tab >= kPaletteTabs) return false;
  return saveReplacing(path, [&](File& file) {
    return file.writeAll(kPaletteFileMagic, sizeof kPaletteFileMagic) && file.writeU8(0) &&
           file.writeU16LE(kPaletteColours) && writeColours(file, set.colours[tab]);
  });
}

bool paletteFromImage(const Image32& image, PaletteSet& set, int tab) {
  if (tab < 0 || tab >= kPaletteTabs || !image.valid()) return false;
  std::vector<uint32_t> colours;
  image.collectColours(colours, kPaletteColours);
  set.clearTab(tab);
  for (size_t i = 0; i < colours.size() && i < size_t(kPaletteColours); ++i)
    set.colours[tab][i] = colours[i] & 0xFFFFFFu;
  set.tabCount = std::max(set.tabCount, tab + 1);
  set.changed = true;
  return true;
}

bool paletteFromImage(const std::string& path, PaletteSet& set, int tab) {
  Image32 image;
  ImageReadInfo info;
  return tab >= 0 && tab < kPaletteTabs && loadImage(path, image, info) && paletteFromImage(image, set, tab);
}

}  // namespace tessel
