#include "formats/psd_records.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "formats/native_document.h"
#include "image/byte_order.h"
#include "resources/language.h"

namespace tessel {

namespace {

bool isKey(const char* key, const char* name) { return std::memcmp(key, name, 4) == 0; }

bool isSignature(const uint8_t* p) { return std::memcmp(p, "8BIM", 4) == 0 || std::memcmp(p, "8B64", 4) == 0; }

bool keyIn(const char* key, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (isKey(key, n)) return true;
  return false;
}

// Cuts a code page 936 name to 31 bytes, never inside a double-byte character.
void cutName(const uint8_t* bytes, size_t length, char out[kLayerNameBytes]) {
  std::memset(out, 0, kLayerNameBytes);
  size_t end = 0;
  while (end < length && bytes[end] != 0) {
    size_t len = bytes[end] >= 0x81 ? 2 : 1;
    if (end + len > length || end + len > size_t(kLayerNameBytes - 1)) break;
    end += len;
  }
  std::memcpy(out, bytes, end);
}

void appendUtf8(std::string& s, uint32_t c) {
  if (c < 0x80) {
    s += char(c);
  } else if (c < 0x800) {
    s += char(0xC0 | c >> 6), s += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += char(0xE0 | c >> 12), s += char(0x80 | ((c >> 6) & 0x3F)), s += char(0x80 | (c & 0x3F));
  } else {
    s += char(0xF0 | c >> 18), s += char(0x80 | ((c >> 12) & 0x3F)), s += char(0x80 | ((c >> 6) & 0x3F)),
        s += char(0x80 | (c & 0x3F));
  }
}

// 'luni': a count of UTF-16 units, then the units.
void readUnicodeName(const uint8_t* p, size_t n, char out[kLayerNameBytes]) {
  if (n < 4) return;
  const size_t units = std::min<size_t>(readBE32(p), (n - 4) / 2);
  std::string utf8;
  for (size_t i = 0; i < units; ++i) {
    uint32_t c = readBE16(p + 4 + 2 * i);
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
      const uint32_t low = readBE16(p + 6 + 2 * i);
      if (low >= 0xDC00 && low < 0xE000) c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), ++i;
    }
    // Code page 936 has nothing beyond the basic plane; elsewhere ask it
    // character by character so that each one it lacks is one '?'.
    std::string one;
    appendUtf8(one, c >= 0xD800 && (c < 0xE000 || c >= 0x10000) ? '?' : c);
    char converted[kLayerNameBytes];
    layerNameFromUtf8(one, converted);
    utf8 += (std::strchr(converted, '?') && c != '?') ? std::string("?") : one;
  }
  layerNameFromUtf8(utf8, out);
}

void readMask(const uint8_t* p, size_t n, PsdRecord& r) {
  if (n < 18) return;
  auto rect = [&](const uint8_t* q, PsdMask& m) {
    m.present = true;
    m.top = int32_t(readBE32(q)), m.left = int32_t(readBE32(q + 4));
    m.bottom = int32_t(readBE32(q + 8)), m.right = int32_t(readBE32(q + 12));
  };
  rect(p, r.mask);
  r.mask.defaultColour = p[16];
  r.mask.flags = p[17];
  if (n < 36) return;
  // Mask parameters come first when flag bit 4 says so.
  size_t at = 18;
  if (r.mask.flags & 0x10) {
    const uint8_t params = p[at++];
    at += (params & 1 ? 1 : 0) + (params & 2 ? 8 : 0) + (params & 4 ? 1 : 0) + (params & 8 ? 8 : 0);
  }
  if (at + 18 > n) return;
  r.realMask.flags = p[at];
  r.realMask.defaultColour = p[at + 1];
  rect(p + at + 2, r.realMask);
}

void readAdditional(const char* key, const uint8_t* p, size_t n, PsdRecord& r) {
  if (isKey(key, "luni")) {
    readUnicodeName(p, n, r.name);
  } else if ((isKey(key, "lsct") || isKey(key, "lsdk")) && n >= 4) {
    r.section = int(readBE32(p));
    if (n >= 12 && std::memcmp(p + 4, "8BIM", 4) == 0) std::memcpy(r.sectionKey, p + 8, 4), r.hasSectionKey = true;
  } else if (isKey(key, "iOpa") && n >= 1) {
    r.fillOpacity = p[0];
  } else if (keyIn(key, {"lfx2", "lmfx"})) {
    r.effects = true;
  } else if (isKey(key, "lrFX") && n >= 4) {
    r.effects = r.effects || readBE16(p + 2) > 1;   // the common state block alone means none
  } else if (keyIn(key, {"levl", "curv", "brit", "blnc", "hue ", "hue2", "selc", "thrs", "nvrt", "post", "mixr",
                         "grdm", "phfl", "expA", "vibA", "blwh", "clrL"})) {
    r.adjustment = true;
  } else if (keyIn(key, {"SoCo", "GdFl", "PtFl"})) {
    r.fill = true;
  } else if (keyIn(key, {"vmsk", "vsms"})) {
    r.vectorMask = true;
  } else if (keyIn(key, {"SoLd", "PlLd", "SoLE"})) {
    r.smartObject = true;
  } else if (keyIn(key, {"artb", "artd", "abdd"})) {
    r.artboard = true;
  }
}

// Additional information blocks in [p, p + n).
void readAdditionalBlocks(const uint8_t* p, size_t n, PsdRecord& r) {
  size_t at = 0;
  while (at + 12 <= n) {
    if (!isSignature(p + at)) {
      // Some writers pad blocks to four bytes without counting it.
      ++at;
      continue;
    }
    char key[4];
    std::memcpy(key, p + at + 4, 4);
    const uint32_t length = readBE32(p + at + 8);
    at += 12;
    if (length > n - at) break;
    readAdditional(key, p + at, length, r);
    at += length;
  }
}

// Layer mask data, blending ranges, the name and additional information.
bool readExtraData(File& file, uint32_t extraLength, PsdRecord& r) {
  std::vector<uint8_t> extra(extraLength);
  if (!file.readAll(extra.data(), extra.size())) return false;
  const uint8_t* p = extra.data();
  size_t at = 0, n = extra.size();
  for (int block = 0; block < 2; ++block) {
    if (at + 4 > n) return false;
    const uint32_t length = readBE32(p + at);
    at += 4;
    if (length > n - at) return false;
    if (block == 0) readMask(p + at, length, r);
    at += length;
  }
  if (at < n) {
    const size_t nameLength = std::min<size_t>(p[at] >= 128 ? 127 : p[at], n - at - 1);
    cutName(p + at + 1, nameLength, r.name);
    at += (size_t(p[at]) + 4) & ~size_t(3);
  }
  if (at < n) readAdditionalBlocks(p + at, n - at, r);
  return true;
}

int readRecord(File& file, int64_t infoEnd, PsdRecord& r) {
  uint32_t t = 0, l = 0, b = 0, rt = 0, extraLength = 0;
  uint16_t channelCount = 0;
  if (!file.readU32BE(t) || !file.readU32BE(l) || !file.readU32BE(b) || !file.readU32BE(rt) ||
      !file.readU16BE(channelCount))
    return kReadPsdLayout;
  r.top = int32_t(t), r.left = int32_t(l), r.bottom = int32_t(b), r.right = int32_t(rt);
  if (int64_t(channelCount) * 6 > infoEnd - file.position()) return kReadPsdLayout;
  r.channels.resize(channelCount);
  for (PsdChannel& c : r.channels) {
    uint16_t id = 0;
    if (!file.readU16BE(id) || !file.readU32BE(c.length)) return kReadPsdLayout;
    c.id = int16_t(id);
  }
  char signature[4];
  uint8_t filler = 0;
  if (!file.readAll(signature, 4) || std::memcmp(signature, "8BIM", 4) != 0) return kReadPsdLayout;
  if (!file.readAll(r.key, 4) || !file.readU8(r.opacity) || !file.readU8(r.clipping) || !file.readU8(r.flags) ||
      !file.readU8(filler) || !file.readU32BE(extraLength))
    return kReadPsdLayout;
  if (int64_t(extraLength) > infoEnd - file.position()) return kReadPsdLayout;
  if (extraLength != 0 && !readExtraData(file, extraLength, r)) return kReadPsdLayout;
  return kReadOk;
}

bool countAt(File& file, int64_t start, int64_t end, PsdLayerInfo& info) {
  uint16_t raw = 0;
  if (end - start < 2 || !file.seek(start) || !file.readU16BE(raw)) return false;
  info.start = start, info.end = end;
  info.count = std::abs(int(int16_t(raw)));
  return info.count != 0;
}

}  // namespace

bool PsdRecord::passThrough() const {
  return isKey(hasSectionKey ? sectionKey : key, "pass");
}

bool findPsdLayerInfo(File& file, int64_t sectionEnd, int depth, PsdLayerInfo& info) {
  uint32_t infoLength = 0;
  if (sectionEnd - file.position() < 4 || !file.readU32BE(infoLength)) return false;
  const int64_t infoStart = file.position();
  if (int64_t(infoLength) > sectionEnd - infoStart) return false;
  if (countAt(file, infoStart, infoStart + infoLength, info)) return true;
  // Past the global mask information to the additional information blocks.
  uint32_t maskLength = 0;
  if (!file.seek(infoStart + infoLength) || !file.readU32BE(maskLength) ||
      int64_t(maskLength) > sectionEnd - file.position() || !file.skip(maskLength))
    return false;
  const char* wanted = depth == 16 ? "Lr16" : depth == 32 ? "Lr32" : "Layr";
  uint8_t head[12];
  while (sectionEnd - file.position() >= 12) {
    const int64_t at = file.position();
    if (!file.readAll(head, 12)) return false;
    if (!isSignature(head)) {
      if (!file.seek(at + 1)) return false;
      continue;
    }
    const uint32_t length = readBE32(head + 8);
    if (int64_t(length) > sectionEnd - file.position()) return false;
    if (std::memcmp(head + 4, wanted, 4) == 0) return countAt(file, file.position(), file.position() + length, info);
    if (!file.skip(length)) return false;
  }
  return false;
}

int readPsdRecords(File& file, const PsdLayerInfo& info, std::vector<PsdRecord>& records) {
  if (!file.seek(info.start + 2)) return kReadPsdLayout;
  // Every record takes at least 34 bytes; a count the section cannot hold is a lie.
  if (int64_t(info.count) * 34 > info.end - info.start) return kReadPsdLayout;
  try {
    records.resize(size_t(info.count));
    for (PsdRecord& r : records)
      if (int result = readRecord(file, info.end, r); result != kReadOk) return result;
  } catch (const std::bad_alloc&) {
    return kReadFailed;
  }
  return kReadOk;
}

void PsdLeftOut::count(const PsdRecord& r) {
  if (r.section == kPsdSectionDivider) return;
  if (r.adjustment) ++adjustments_;
  else if (r.dropped()) ++(r.vectorMask ? shapes_ : adjustments_);
  if (r.effects) ++effects_;
  if (r.smartObject) ++smartObjects_;
}

std::string PsdLeftOut::message() const {
  if (effects_ + adjustments_ + shapes_ + smartObjects_ == 0) return {};
  std::string text = text::tr("以下内容无法保留，已略去：");
  char line[64];
  const struct {
    const char* what;
    int n;
  } kinds[] = {{"图层效果", effects_}, {"调整图层", adjustments_}, {"矢量形状", shapes_}, {"智能对象源", smartObjects_}};
  for (const auto& k : kinds) {
    if (k.n == 0) continue;
    std::snprintf(line, sizeof line, text::tr("\n%s %d 个"), text::tr(k.what), k.n);
    text += line;
  }
  return text;
}

}  // namespace tessel
