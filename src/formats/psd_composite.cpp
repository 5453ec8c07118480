#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "formats/native_document.h"
#include "formats/psd_document.h"
#include "formats/psd_file.h"
#include "formats/psd_packbits.h"
#include "formats/psd_planes.h"
#include "formats/thumbnail_sink.h"
#include "image/byte_order.h"
#include "image/size_limits.h"

namespace tessel {

namespace {

constexpr uint16_t kIccProfileResource = 1039;

bool readBlock(File& file, std::vector<uint8_t>& out) {
  uint32_t length = 0;
  if (!file.readU32BE(length) || int64_t(length) > psdRemaining(file)) return false;
  out.resize(length);
  return file.readAll(out.data(), length);
}

// Image resources: keeps the ICC profile, skips the rest.
bool readResources(File& file, PsdHeader& h) {
  std::vector<uint8_t> block;
  if (!readBlock(file, block)) return false;
  size_t at = 0;
  while (at + 12 <= block.size() && std::memcmp(&block[at], "8BIM", 4) == 0) {
    const uint16_t id = readBE16(&block[at + 4]);
    const size_t nameBytes = (size_t(block[at + 6]) + 2) & ~size_t(1);
    at += 6 + nameBytes;
    if (at + 4 > block.size()) break;
    const uint32_t length = readBE32(&block[at]);
    at += 4;
    if (length > block.size() - at) break;
    if (id == kIccProfileResource) h.iccProfile.assign(block.begin() + long(at), block.begin() + long(at + length));
    at += (size_t(length) + 1) & ~size_t(1);
  }
  return true;
}

// Photoshop stores the merged colour already laid over white; other writers
// do not. Colour over white is never darker than 255 - alpha, so a single
// darker pixel shows the colour still needs it.
bool alreadyOverWhite(const uint8_t* p, size_t bytes) {
  for (size_t i = 0; i < bytes; i += 4)
    for (int k = 0; k < 3; ++k)
      if (p[i + k] + p[i + 3] < 254) return false;
  return true;
}

// Every colour byte over white by the alpha byte, then opaque.
void overWhite(uint8_t* p, size_t bytes) {
  const bool done = alreadyOverWhite(p, bytes);
  for (size_t i = 0; i < bytes; i += 4) {
    if (done) {
      p[i + 3] = 255;
      continue;
    }
    const int a = p[i + 3];
    for (int k = 0; k < 3; ++k) p[i + k] = uint8_t(255 + std::lround(a * (p[i + k] - 255) / 255.0));
    p[i + 3] = 255;
  }
}

}  // namespace

bool skipPsdSection(File& file) {
  uint32_t length = 0;
  return file.readU32BE(length) && int64_t(length) <= psdRemaining(file) && file.skip(length);
}

int readPsdHeader(File& file, PsdHeader& h) {
  char signature[4];
  uint16_t version = 0;
  if (!file.readAll(signature, 4) || std::memcmp(signature, "8BPS", 4) != 0) return kReadPsdLayout;
  if (!file.readU16BE(version) || version != 1) return kReadPsdLayout;
  if (!file.skip(6) || !file.readU16BE(h.channels) || !file.readU32BE(h.height) || !file.readU32BE(h.width) ||
      !file.readU16BE(h.depth) || !file.readU16BE(h.mode))
    return kReadPsdLayout;
  if (!readBlock(file, h.modeData) || !readResources(file, h)) return kReadPsdLayout;
  return kReadOk;
}

bool readPsdMergedImage(File& file, const PsdHeader& h, const PsdColour& colour, bool withAlpha, Image32& image) {
  uint16_t compression = 0;
  const int colours = colour.channels();
  if (h.channels < colours || !file.readU16BE(compression) || compression > kPsdZipPredicted) return false;
  const int used = colours + (withAlpha && h.channels > colours ? 1 : 0);
  const int64_t w = h.width, rows = int64_t(h.height) * used;
  uint64_t need = psdRowBytes(w, h.depth) * uint64_t(rows);
  if (compression == kPsdRle) {
    // Row counts of every channel come first; only the used ones are read.
    const int64_t tableBytes = int64_t(h.channels) * h.height * 2;
    std::vector<uint8_t> table;
    if (tableBytes > psdRemaining(file)) return false;
    table.resize(size_t(tableBytes));
    if (!file.readAll(table.data(), table.size())) return false;
    need = 0;
    for (int64_t i = 0; i < rows; ++i) need += readBE16(&table[size_t(2 * i)]);
  } else if (compression != kPsdRaw) {
    need = uint64_t(psdRemaining(file));
  }
  if (int64_t(need) > psdRemaining(file)) return false;
  if (!image.create(int(h.width), int(h.height))) return false;
  std::vector<uint8_t> data, stored;
  data.resize(size_t(need));
  if (!file.readAll(data.data(), data.size())) return false;
  if (!decodePsdRows(data.data(), data.size(), compression, w, rows, h.depth, 0, stored)) return false;
  data.clear();
  std::vector<uint8_t> planes(size_t(w) * size_t(rows));
  const uint64_t planeStored = psdRowBytes(w, h.depth) * h.height;
  const size_t plane = size_t(w) * h.height;
  for (int c = 0; c < used; ++c) {
    PsdSampleFormat format{h.depth, c < colours && h.mode != kPsdLab && h.mode != kPsdCmyk};
    psdRowsTo8(stored.data() + planeStored * uint64_t(c), w, h.height, format, planes.data() + plane * size_t(c));
  }
  image.fill(0xFF000000u);
  const uint8_t* p[4] = {};
  for (int y = 0; y < int(h.height); ++y) {
    for (int c = 0; c < colours; ++c) p[c] = planes.data() + plane * size_t(c) + size_t(y) * size_t(w);
    Pixel* out = image.row(y);
    colour.convert(p, size_t(w), out);
    if (used > colours) {
      const uint8_t* a = planes.data() + plane * size_t(colours) + size_t(y) * size_t(w);
      uint8_t* o = reinterpret_cast<uint8_t*>(out);
      for (int64_t x = 0; x < w; ++x) o[4 * x + 3] = a[x];
    }
  }
  if (used > colours) overWhite(image.bits(), image.byteSize());
  return true;
}

namespace {

// Opens the file up to its merged image; false for what the composite
// readers refuse.
bool openMerged(File& file, const std::string& path, PsdHeader& h, PsdColour& colour) {
  std::string refusal;
  return file.openRead(path) && readPsdHeader(file, h) == kReadOk && h.width != 0 && h.height != 0 &&
         h.width <= uint32_t(kMaxPsdSide) && h.height <= uint32_t(kMaxPsdSide) &&
         colour.init(h.mode, h.depth, h.modeData, h.iccProfile, refusal) && skipPsdSection(file);
}

// Where each row of each used channel starts, and its length, from the row
// byte counts of a packed merged image or the plane size of a raw one.
bool rowPlaces(File& file, const PsdHeader& h, int used, std::vector<int64_t>& start, std::vector<uint32_t>& length,
               bool& packed) {
  uint16_t compression = 0;
  if (h.channels < 3 || !file.readU16BE(compression) || compression > 1) return false;
  const size_t rows = size_t(used) * h.height;
  start.resize(rows);
  length.resize(rows);
  int64_t at = 0;
  if (compression == 1) {
    const int64_t tableBytes = int64_t(h.channels) * h.height * 2;
    if (tableBytes > psdRemaining(file)) return false;
    std::vector<uint8_t> table(static_cast<size_t>(tableBytes));
    if (!file.readAll(table.data(), table.size())) return false;
    for (size_t i = 0; i < rows; ++i) {
      length[i] = readBE16(table.data() + 2 * i);
      start[i] = at;
      at += length[i];
    }
  } else {
    for (size_t i = 0; i < rows; ++i) {
      length[i] = h.width;
      start[i] = at;
      at += h.width;
    }
  }
  if (at > psdRemaining(file)) return false;
  packed = compression == 1;
  const int64_t base = file.position();
  for (int64_t& s : start) s += base;
  return true;
}

// 8-bit RGB with raw or RLE rows: only the rows the sink samples are read.
bool thumbnailFromRows(File& file, const PsdHeader& h, int side, Image32& thumb) {
  const int used = h.channels > 3 ? 4 : 3;
  std::vector<int64_t> start;
  std::vector<uint32_t> length;
  ThumbnailSink sink;
  Image32 row;
  bool packed = false;
  if (!rowPlaces(file, h, used, start, length, packed) || !sink.begin(int(h.width), int(h.height), side) ||
      !row.create(int(h.width), 1))
    return false;
  std::vector<uint8_t> data;
  static const int kByteOf[4] = {2, 1, 0, 3};
  for (int y = 0; y < int(h.height); ++y) {
    if (!sink.wantsRow(y)) continue;
    row.fill(0xFF000000u);
    for (int c = 0; c < used; ++c) {
      const size_t i = size_t(c) * h.height + size_t(y);
      data.resize(std::max<size_t>(length[i], 1));
      if (!file.seek(start[i]) || !file.readAll(data.data(), length[i])) return false;
      PlaneWriter writer(row, kByteOf[c], 0, 0, h.width, 1);
      if (packed)
        unpackBits(data.data(), length[i], writer);
      else
        writer.put(data.data(), length[i]);
    }
    Pixel* p = row.row(0);
    if (used == 4) overWhite(reinterpret_cast<uint8_t*>(p), size_t(h.width) * 4);
    sink.addRow(y, p);
  }
  return sink.finish(thumb);
}

}  // namespace

bool readPsdComposite(const std::string& path, Image32& image) try {
  File file;
  PsdHeader h;
  PsdColour colour;
  if (!openMerged(file, path, h, colour)) return false;
  Image32 merged;
  if (!readPsdMergedImage(file, h, colour, true, merged)) return false;
  image = std::move(merged);
  return true;
} catch (const std::bad_alloc&) {
  return false;
}

bool readPsdThumbnail(const std::string& path, int side, Image32& thumb) try {
  File file;
  PsdHeader h;
  PsdColour colour;
  if (!openMerged(file, path, h, colour)) return false;
  const int64_t data = file.position();
  uint16_t compression = 0;
  if (h.mode == kPsdRgb && h.depth == 8 && file.readU16BE(compression) && compression <= kPsdRle && file.seek(data))
    return thumbnailFromRows(file, h, side, thumb);
  Image32 merged;
  ThumbnailSink sink;
  if (!file.seek(data) || !readPsdMergedImage(file, h, colour, true, merged) ||
      !sink.begin(merged.width(), merged.height(), side))
    return false;
  for (int y = 0; y < merged.height(); ++y)
    if (sink.wantsRow(y)) sink.addRow(y, merged.row(y));
  return sink.finish(thumb);
} catch (const std::bad_alloc&) {
  return false;
}

}  // namespace tessel
