#include "formats/ora_document.h"

#include <zip.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

#include "document/compositors.h"
#include "document/document.h"
#include "io/file.h"
#include "formats/native_document.h"
#include "formats/png_codec.h"
#include "formats/png_memory_writer.h"
#include "formats/thumbnail_sink.h"

namespace tessel {

namespace {

constexpr const char* kMimeType = "image/openraster";
constexpr const char* kTesselNamespace = "urn:x-tessel:openraster";
constexpr int kThumbnailSide = 256;
// The PNGs inside, as libdeflate counts levels. Its 5 makes files about as
// small as zlib's 6, the usual PNG default (smaller on opaque layers and
// photos, up to 3 % larger on mostly transparent layers), in 0.7 of the
// time its own 6 takes.
constexpr int kPngLevel = 5;
constexpr int kMaxDepth = 64;            // stacks inside stacks
constexpr size_t kMaxNodes = 20000;      // elements in stack.xml
constexpr int64_t kMaxStackXml = 4 << 20;
constexpr zip_int64_t kMaxEntries = 100000;

// ---------------------------------------------------------------- names

struct ModeName {
  const char* op;      // what composite-op says
  const char* tessel;  // the tessel:blend value for modes without an svg: name
};

// Index = blend mode. Krita's own ids (krita:...) where svg: has no match.
const ModeName kModes[21] = {
    {"svg:src-over", nullptr},
    {"svg:multiply", nullptr},
    {"svg:plus", nullptr},
    {"krita:subtract", "subtract"},
    {"svg:screen", nullptr},
    {"svg:overlay", nullptr},
    {"krita:soft_light_pegtop_delphi", "soft-light"},
    {"svg:hard-light", nullptr},
    {"svg:color-dodge", nullptr},
    {"svg:color-burn", nullptr},
    {"krita:linear_burn", "linear-burn"},
    {"krita:vivid_light", "vivid-light"},
    {"krita:linear light", "linear-light"},
    {"krita:pin_light", "pin-light"},
    {"svg:difference", nullptr},
    {"svg:lighten", nullptr},
    {"svg:darken", nullptr},
    {"svg:hue", nullptr},
    {"svg:saturation", nullptr},
    {"svg:color", nullptr},
    {"svg:luminosity", nullptr},
};

int blendModeFromTesselName(const std::string& name) {
  for (int m = 0; m < 21; ++m)
    if (kModes[m].tessel && name == kModes[m].tessel) return m;
  return -1;
}

// ---------------------------------------------------------------- XML

struct XmlNode {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<XmlNode> children;

  const std::string* attribute(const char* key) const {
    for (const auto& a : attributes)
      if (a.first == key) return &a.second;
    return nullptr;
  }
};

void appendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6), out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12), out += char(0x80 | (c >> 6 & 0x3F)), out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18), out += char(0x80 | (c >> 12 & 0x3F)), out += char(0x80 | (c >> 6 & 0x3F)),
        out += char(0x80 | (c & 0x3F));
  }
}

// A small reader for what stack.xml holds: elements and attributes. A
// document type declaration is refused, so no entity can be defined or
// expanded; references other than the five predefined and numeric ones fail.
class XmlReader {
 public:
  explicit XmlReader(const std::string& text) : s_(text) {}

  bool parse(XmlNode& root) {
    if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0) i_ = 3;
    std::vector<XmlNode*> open;
    bool haveRoot = false;
    while (i_ < s_.size()) {
      if (s_[i_] != '<') {
        if (open.empty() && !isSpace(s_[i_])) return false;
        ++i_;
        continue;
      }
      if (starts("<?")) {
        if (!skipPast("?>")) return false;
      } else if (starts("<!--")) {
        if (!skipPast("-->")) return false;
      } else if (starts("<![CDATA[")) {
        if (open.empty() || !skipPast("]]>")) return false;
      } else if (starts("<!")) {
        return false;   // DOCTYPE and entity declarations
      } else if (starts("</")) {
        i_ += 2;
        std::string name;
        if (!readName(name) || open.empty() || open.back()->name != name) return false;
        skipSpace();
        if (i_ >= s_.size() || s_[i_] != '>') return false;
        ++i_;
        open.pop_back();
      } else {
        ++i_;
        if (haveRoot && open.empty()) return false;
        if (open.size() >= size_t(kMaxDepth) || ++nodes_ > kMaxNodes) return false;
        XmlNode* node;
        if (open.empty()) {
          node = &root;
          haveRoot = true;
        } else {
          open.back()->children.emplace_back();
          node = &open.back()->children.back();
        }
        bool closed = false;
        if (!readTag(*node, closed)) return false;
        if (!closed) open.push_back(node);
      }
    }
    return haveRoot && open.empty();
  }

 private:
  static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  static bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '_' || c == '-' || c == '.' ||
           static_cast<unsigned char>(c) >= 0x80;
  }
  bool starts(const char* t) const { return s_.compare(i_, std::strlen(t), t) == 0; }
  bool skipPast(const char* t) {
    size_t at = s_.find(t, i_);
    if (at == std::string::npos) return false;
    i_ = at + std::strlen(t);
    return true;
  }
  void skipSpace() {
    while (i_ < s_.size() && isSpace(s_[i_])) ++i_;
  }
  bool readName(std::string& name) {
    size_t start = i_;
    while (i_ < s_.size() && isNameChar(s_[i_])) ++i_;
    name.assign(s_, start, i_ - start);
    return !name.empty();
  }
  bool readTag(XmlNode& node, bool& closed) {
    if (!readName(node.name)) return false;
    for (;;) {
      skipSpace();
      if (i_ >= s_.size()) return false;
      if (s_[i_] == '>') {
        ++i_;
        return true;
      }
      if (starts("/>")) {
        i_ += 2;
        closed = true;
        return true;
      }
      std::string key, value;
      if (!readName(key)) return false;
      skipSpace();
      if (i_ >= s_.size() || s_[i_] != '=') return false;
      ++i_;
      skipSpace();
      if (i_ >= s_.size() || (s_[i_] != '"' && s_[i_] != '\'')) return false;
      const char quote = s_[i_++];
      size_t end = s_.find(quote, i_);
      if (end == std::string::npos || !decode(s_.substr(i_, end - i_), value)) return false;
      i_ = end + 1;
      node.attributes.emplace_back(std::move(key), std::move(value));
    }
  }
  static bool decode(const std::string& raw, std::string& out) {
    for (size_t k = 0; k < raw.size(); ++k) {
      if (raw[k] == '<') return false;
      if (raw[k] != '&') {
        out += raw[k];
        continue;
      }
      size_t semi = raw.find(';', k);
      if (semi == std::string::npos || semi - k > 12) return false;
      const std::string ref = raw.substr(k + 1, semi - k - 1);
      if (ref == "lt") out += '<';
      else if (ref == "gt") out += '>';
      else if (ref == "amp") out += '&';
      else if (ref == "quot") out += '"';
      else if (ref == "apos") out += '\'';
      else if (ref.size() > 1 && ref[0] == '#') {
        const bool hex = ref[1] == 'x' || ref[1] == 'X';
        const std::string digits = ref.substr(hex ? 2 : 1);
        if (digits.empty()) return false;
        char* end = nullptr;
        unsigned long c = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (*end || c == 0 || c > 0x10FFFF) return false;
        appendUtf8(out, uint32_t(c));
      } else {
        return false;
      }
      k = semi;
    }
    return true;
  }

  const std::string& s_;
  size_t i_ = 0;
  size_t nodes_ = 0;
};

void appendEscaped(std::string& out, const std::string& text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\t': out += "&#9;"; break;
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      default: out += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    }
  }
}

// ---------------------------------------------------------------- files

// A private folder for the PNGs on their way into or out of the zip.
class TempFolder {
 public:
  TempFolder() {
    std::error_code ec;
    std::string base = std::filesystem::temp_directory_path(ec).string();
    if (ec || base.empty()) base = "/tmp";
    std::string pattern = base + "/tessel-ora-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data())) path_ = name.data();
  }
  ~TempFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  bool valid() const { return !path_.empty(); }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

class ZipReader {
 public:
  ~ZipReader() {
    if (zip_) zip_discard(zip_);
  }
  // A ReadResult: cannot open, or not a zip.
  int open(const std::string& path) {
    if (!fileExists(path)) return kReadCannotOpen;
    int error = 0;
    zip_ = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!zip_) return error == ZIP_ER_OPEN || error == ZIP_ER_READ ? kReadCannotOpen : kReadFormatError;
    const zip_int64_t n = zip_get_num_entries(zip_, 0);
    return n < 0 || n > kMaxEntries ? kReadFormatError : kReadOk;
  }
  bool has(const std::string& name) const { return zip_name_locate(zip_, name.c_str(), 0) >= 0; }

  // Streams an entry to sink in blocks, counting what really comes out of
  // the inflater: past limit bytes it stops, whatever the header claims.
  enum class Status { kOk, kMissing, kTooLarge, kDamaged };
  template <class Sink>
  Status stream(const std::string& name, int64_t limit, Sink&& sink) {
    const zip_int64_t index = zip_name_locate(zip_, name.c_str(), 0);
    if (index < 0) return Status::kMissing;
    zip_file_t* f = zip_fopen_index(zip_, zip_uint64_t(index), 0);
    if (!f) return Status::kDamaged;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[kBlock]);
    Status status = block ? Status::kOk : Status::kDamaged;
    int64_t total = 0;
    while (status == Status::kOk) {
      const zip_int64_t got = zip_fread(f, block.get(), kBlock);
      if (got < 0) status = Status::kDamaged;
      if (got <= 0) break;
      total += got;
      if (total > limit) status = Status::kTooLarge;
      else if (!sink(block.get(), size_t(got))) status = Status::kDamaged;
    }
    zip_fclose(f);
    return status;
  }

 private:
  static constexpr size_t kBlock = 1 << 16;
  zip_t* zip_ = nullptr;
};

int resultOf(ZipReader::Status status) {
  switch (status) {
    case ZipReader::Status::kOk: return kReadOk;
    case ZipReader::Status::kTooLarge: return kReadFormatError;
    case ZipReader::Status::kMissing: return kReadFormatError;
    case ZipReader::Status::kDamaged: return kReadDecompressFailed;
  }
  return kReadFailed;
}

uint32_t readBE32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// A PNG entry through the program's PNG reader. The header is checked as
// it arrives: sides above the limit end the read before any inflating, and
// the entry may not grow past what a PNG of its size (or the canvas) needs.
int extractPngEntry(ZipReader& zip, const std::string& name, const std::string& file, int canvasW, int canvasH,
                    int maxSide) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return kReadFailed;
  uint8_t header[24];
  size_t have = 0;
  int verdict = kReadOk;
  int64_t limit = INT64_MAX, written = 0;
  auto status = zip.stream(name, int64_t(kMaxCanvasSize) * kMaxCanvasSize * 5, [&](const uint8_t* p, size_t n) {
    if (have < sizeof header) {
      const size_t take = std::min(n, sizeof header - have);
      std::memcpy(header + have, p, take);
      have += take;
      if (have == sizeof header) {
        if (std::memcmp(header, kPngSignature, 8) != 0 || std::memcmp(header + 12, "IHDR", 4) != 0) {
          verdict = kReadFormatError;
          return false;
        }
        const uint32_t w = readBE32(header + 16), h = readBE32(header + 20);
        if (w == 0 || h == 0) {
          verdict = kReadFormatError;
          return false;
        }
        if (w > uint32_t(maxSide) || h > uint32_t(maxSide)) {
          verdict = kReadTooLarge;
          return false;
        }
        // Raw rows of the larger of the PNG and the canvas, plus room for headers.
        const int64_t rw = std::max<int64_t>(w, canvasW), rh = std::max<int64_t>(h, canvasH);
        limit = (rw * 4 + 1) * rh + rh * 8 + (int64_t(1) << 20);
      }
    }
    written += int64_t(n);
    if (written > limit) {
      verdict = kReadFormatError;   // inflates past any image of its size
      return false;
    }
    return std::fwrite(p, 1, n, out) == n;
  });
  const bool closed = std::fclose(out) == 0;
  if (verdict != kReadOk) return verdict;
  if (status != ZipReader::Status::kOk) return resultOf(status);
  if (!closed || have < sizeof header) return kReadFormatError;
  return kReadOk;
}

// readPng already gives every pixel with alpha 0 as transparent white.
int decodePng(const std::string& file, Image32& image) {
  ImageReadInfo info;
  return readPng(file, image, info) ? kReadOk : kReadFormatError;
}

int readPngEntry(ZipReader& zip, const TempFolder& temp, const std::string& name, int canvasW, int canvasH,
                 Image32& image, int maxSide = kMaxCanvasSize) {
  const std::string file = temp.file("entry.png");
  if (int r = extractPngEntry(zip, name, file, canvasW, canvasH, maxSide); r != kReadOk) return r;
  return decodePng(file, image);
}

// ---------------------------------------------------------------- reading

struct Staged {
  Image32 image;
  TiledImage tiles;   // on the canvas, once placed
  int x = 0, y = 0;   // where the image's top-left corner lies on the canvas
  std::string name;   // UTF-8
  std::string pending;   // the extracted PNG not yet decoded
  int mode = 0, opacity = 128, mask = 0;
  bool visible = true, fillReference = false, selected = false;
};

double number(const XmlNode& node, const char* key, double fallback) {
  const std::string* v = node.attribute(key);
  if (!v || v->empty()) return fallback;
  char* end = nullptr;
  double d = std::strtod(v->c_str(), &end);
  return (end && *end == '\0' && std::isfinite(d)) ? d : fallback;
}

int coordinate(const XmlNode& node, const char* key) {
  double d = number(node, key, 0);
  return int(std::clamp(d, -1e6, 1e6));
}

int opacityOf(const XmlNode& node) {
  const double v = std::clamp(number(node, "opacity", 1.0), 0.0, 1.0);
  return int(v * 128 + 0.5);
}

bool flag(const XmlNode& node, const char* key) {
  const std::string* v = node.attribute(key);
  return v && (*v == "true" || *v == "1");
}

int modeOf(const XmlNode& node) {
  if (const std::string* t = node.attribute("tessel:blend")) {
    int m = blendModeFromTesselName(*t);
    if (m >= 0) return m;
  }
  const std::string* op = node.attribute("composite-op");
  return op ? blendModeFromOraOp(*op) : 0;
}

// A src that stays inside the archive: relative, no "..", no backslashes.
bool safeEntryName(const std::string& src) {
  if (src.empty() || src[0] == '/' || src.find('\\') != std::string::npos || src.find(':') != std::string::npos)
    return false;
  size_t start = 0;
  while (start <= src.size()) {
    size_t slash = src.find('/', start);
    if (slash == std::string::npos) slash = src.size();
    const std::string part = src.substr(start, slash - start);
    if (part == ".." || part == "." || part.empty()) return false;
    start = slash + 1;
  }
  return true;
}

// The extracted PNGs of staged layers, decoded on several threads. With a
// canvas size, each layer is read straight onto a canvas of that size (one
// per thread, only the picture's rectangle written) and kept as tiles, the
// rest declared transparent: no layer is held flat.
int decodeAll(std::vector<Staged>& layers, int canvasW = 0, int canvasH = 0) {
  std::atomic<size_t> next{0};
  std::atomic<int> result{kReadOk};
  auto work = [&] {
    Image32 canvas;
    std::vector<ByteRange> outside;
    for (size_t k; result == kReadOk && (k = next++) < layers.size();) {
      Staged& s = layers[k];
      int r = kReadOk;
      if (canvasW > 0) {
        Rect placed;
        if (!canvas.valid() && !canvas.create(canvasW, canvasH)) {
          r = kReadOutOfMemory;
        } else if (!s.pending.empty()) {
          if (!readPngPlaced(s.pending, canvas, s.x, s.y, placed)) r = kReadFormatError;
        } else {
          placed = Rect{s.x, s.y, s.image.width(), s.image.height()}.intersected(canvas.bounds());
          if (!placed.empty()) canvas.blit(s.x, s.y, s.image.width(), s.image.height(), s.image, 0, 0);
        }
        if (r == kReadOk && (!rangesOutside(canvas, placed, outside) || !s.tiles.assign(canvas, outside)))
          r = kReadOutOfMemory;
        s.image.destroy();
      } else if (!s.pending.empty()) {
        r = decodePng(s.pending, s.image);
      }
      if (r != kReadOk) result = r;
      if (!s.pending.empty()) std::remove(s.pending.c_str());
      s.pending.clear();
    }
  };
  const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  std::vector<std::thread> pool;
  for (int t = 1; t < threads && size_t(t) < layers.size(); ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return result;
}

class StackReader {
 public:
  StackReader(ZipReader& zip, const TempFolder& temp, int w, int h, int maxSide, Progress* progress)
      : zip_(zip), temp_(temp), w_(w), h_(h), maxSide_(maxSide), progress_(progress) {}

  // Children of a stack, top first, into out.
  int readStack(const XmlNode& stack, int offX, int offY, bool hidden, int scale, int depth,
                std::vector<Staged>& out) {
    if (depth > kMaxDepth) return kReadFormatError;
    for (const XmlNode& child : stack.children) {
      int r = kReadOk;
      if (child.name == "layer") r = readLayer(child, offX, offY, hidden, scale, out);
      else if (child.name == "stack") r = readSubStack(child, offX, offY, hidden, scale, depth, out);
      if (r != kReadOk) return r;
      // Refused before the open document is touched: a code that keeps it.
      if (out.size() > size_t(kMaxLayers)) return kReadFailed;
    }
    return kReadOk;
  }

 private:
  int readLayer(const XmlNode& node, int offX, int offY, bool hidden, int scale, std::vector<Staged>& out) {
    const std::string* src = node.attribute("src");
    if (!src || !safeEntryName(*src)) return kReadFormatError;
    Staged s;
    s.pending = temp_.file("layer" + std::to_string(extracted_++) + ".png");
    if (int r = extractPngEntry(zip_, *src, s.pending, w_, h_, maxSide_); r != kReadOk) return r;
    s.x = offX + coordinate(node, "x");
    s.y = offY + coordinate(node, "y");
    if (const std::string* name = node.attribute("name")) s.name = *name;
    s.mode = modeOf(node);
    s.opacity = (opacityOf(node) * scale + 64) / 128;
    s.mask = std::clamp(int(number(node, "tessel:mask", 0)), 0, 3);
    const std::string* vis = node.attribute("visibility");
    s.visible = !hidden && !(vis && *vis == "hidden");
    s.fillReference = flag(node, "tessel:fill-reference");
    s.selected = flag(node, "selected");
    out.push_back(std::move(s));
    if (progress_) progress_->step();
    return kReadOk;
  }

  int readSubStack(const XmlNode& node, int offX, int offY, bool hidden, int scale, int depth,
                   std::vector<Staged>& out) {
    const std::string* vis = node.attribute("visibility");
    const bool stackHidden = hidden || (vis && *vis == "hidden");
    const int mode = modeOf(node);
    const int opacity = opacityOf(node);
    const std::string* isolation = node.attribute("isolation");
    offX += coordinate(node, "x");
    offY += coordinate(node, "y");
    if (mode == 0 || (isolation && *isolation == "auto")) {
      // Pass-through: the children join the stack with the group's opacity.
      return readStack(node, offX, offY, stackHidden, (scale * opacity + 64) / 128, depth + 1, out);
    }
    // Isolated with its own mode: its children become one picture.
    std::vector<Staged> children;
    if (int r = readStack(node, offX, offY, false, 128, depth + 1, children); r != kReadOk) return r;
    if (int r = decodeAll(children); r != kReadOk) return r;
    Staged s;
    if (!s.image.create(w_, h_)) return kReadFailed;
    s.image.fill(0);
    Image32 placed;
    if (!placed.create(w_, h_)) return kReadFailed;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      if (!it->visible) continue;
      placed.fill(kTransparent);
      placed.blit(it->x, it->y, it->image.width(), it->image.height(), it->image, 0, 0);
      compositeAlphaAware(s.image, placed, it->opacity, it->mode, kFullOpacity, kBlendNormal);
    }
    s.image.normaliseTransparent();
    if (const std::string* name = node.attribute("name")) s.name = *name;
    s.mode = mode;
    s.opacity = (opacity * scale + 64) / 128;
    s.visible = !stackHidden;
    s.selected = flag(node, "selected");
    out.push_back(std::move(s));
    return kReadOk;
  }

  ZipReader& zip_;
  const TempFolder& temp_;
  int w_, h_, maxSide_;
  Progress* progress_;
  int extracted_ = 0;
};

int readStackXml(ZipReader& zip, XmlNode& image) {
  std::string xml;
  auto status = zip.stream("stack.xml", kMaxStackXml, [&](const uint8_t* p, size_t n) {
    xml.append(reinterpret_cast<const char*>(p), n);
    return true;
  });
  if (status != ZipReader::Status::kOk) return resultOf(status);
  XmlReader reader(xml);
  if (!reader.parse(image) || image.name != "image") return kReadFormatError;
  return kReadOk;
}

int canvasSize(const XmlNode& image, int& w, int& h, int maxSide = kMaxCanvasSize) {
  const double dw = number(image, "w", 0), dh = number(image, "h", 0);
  if (dw < 1 || dh < 1) return kReadFormatError;
  if (dw > maxSide || dh > maxSide) return kReadTooLarge;
  w = int(dw), h = int(dh);
  return kReadOk;
}

// A picture entry (mergedimage.png or the thumbnail) of a readable file.
bool readPicture(const std::string& path, const char* entry, Image32& image) {
  ZipReader zip;
  XmlNode root;
  int w = 0, h = 0;
  if (zip.open(path) != kReadOk || readStackXml(zip, root) != kReadOk || canvasSize(root, w, h) != kReadOk)
    return false;
  TempFolder temp;
  return temp.valid() && readPngEntry(zip, temp, entry, w, h, image) == kReadOk;
}

// ---------------------------------------------------------------- writing

// A layer's pixels as the writer reads them: from its tiles when it is idle
// (no flat copy is made), else from its flat buffer.
class LayerPixels {
 public:
  explicit LayerPixels(const Layer& layer) : tiles_(layer.tiles()) {
    if (!tiles_) flat_ = &layer.image();
  }
  bool valid() const { return tiles_ || flat_->valid(); }
  int width() const { return tiles_ ? tiles_->width() : flat_->width(); }
  int height() const { return tiles_ ? tiles_->height() : flat_->height(); }

  // The rectangle of pixels with alpha; empty when there is none.
  Rect paintedBounds() const {
    Box box;
    if (!tiles_) {
      scan(box, 0, 0, width(), height(), [&](int y) { return flat_->row(y); });
    } else {
      constexpr int kW = TiledImage::kTileWidth, kH = TiledImage::kTileHeight;
      for (int ty = 0; ty < tiles_->tilesDown(); ++ty)
        for (int tx = 0; tx < tiles_->tilesAcross(); ++tx)
          if (const TiledImage::Tile* t = tiles_->tile(tx, ty))
            scan(box, tx * kW, ty * kH, std::min(kW, width() - tx * kW), std::min(kH, height() - ty * kH),
                 [&](int y) { return t->px + (y - ty * kH) * kW; });
    }
    if (box.right < 0) return {0, 0, 0, 0};
    return {box.left, box.top, box.right - box.left + 1, box.bottom - box.top + 1};
  }

  // n pixels of row y from x; scratch holds them when they are not flat.
  const Pixel* row(int y, int x, int n, Pixel* scratch) const {
    if (!tiles_) return flat_->row(y) + x;
    tiles_->readRow(y, x, n, scratch);
    return scratch;
  }

  // The w x h block at (x, y) into block (of that size); false, with the
  // block untouched, when every pixel of it has no coverage at opacity.
  bool blockCovered(int x, int y, int w, int h, int opacity, Image32& block) const {
    bool covered = false;
    for (int r = 0; r < h && !covered; ++r) {
      const Pixel* p = sourceRow(x, y + r);
      if (!p) continue;
      for (int i = 0; i < w; ++i)
        if ((opacity * int(alphaOf(p[i]))) >> 7) {
          covered = true;
          break;
        }
    }
    if (covered) copyBlock(x, y, w, h, block);
    return covered;
  }
  void copyBlock(int x, int y, int w, int h, Image32& block) const {
    for (int r = 0; r < h; ++r) {
      const Pixel* p = sourceRow(x, y + r);
      Pixel* out = block.row(r);
      if (p) std::memcpy(out, p, size_t(w) * sizeof(Pixel));
      else std::fill(out, out + w, kTransparent);
    }
  }

 private:
  struct Box {
    int left = INT32_MAX, right = -1, top = INT32_MAX, bottom = -1;
  };
  // The w x h area at (x0, y0); rowAt(y) gives the pixel at x0 of row y. The
  // left edge is searched from the left and the right one from the right, so
  // a painted row costs its margins, and an empty one a pass in wide words.
  template <class RowAt>
  static void scan(Box& box, int x0, int y0, int w, int h, RowAt rowAt) {
    for (int y = y0; y < y0 + h; ++y) {
      const Pixel* row = rowAt(y);
      int first = 0;
      for (; first + 16 <= w; first += 16) {
        Pixel any = 0;
        for (int k = 0; k < 16; ++k) any |= row[first + k];
        if (any >> 24) break;
      }
      while (first < w && !(row[first] >> 24)) ++first;
      if (first == w) continue;
      int last = w - 1;
      while (!(row[last] >> 24)) --last;   // stops at first at the latest
      box.left = std::min(box.left, x0 + first), box.right = std::max(box.right, x0 + last);
      box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
    }
  }
  // Pixels from (x, y) to the end of their block (blocks lie on the tile
  // grid); null where a tile is absent, all kTransparent.
  const Pixel* sourceRow(int x, int y) const {
    if (!tiles_) return flat_->row(y) + x;
    constexpr int kW = TiledImage::kTileWidth, kH = TiledImage::kTileHeight;
    const TiledImage::Tile* t = tiles_->tile(x / kW, y / kH);
    return t ? t->px + (y % kH) * kW + x % kW : nullptr;
  }

  const TiledImage* tiles_;
  const Image32* flat_ = nullptr;
};

// The flattening with alpha that Document::flatten makes, one band of
// blocks on the tile grid at a time, so that bands share out between
// threads. A layer with no coverage in a block is passed over there: the
// alpha-aware arithmetic leaves such pixels as they are once a layer has been
// laid down (except in Add and Subtract, which always run).
class BandFlattener {
 public:
  static constexpr int kBlockW = TiledImage::kTileWidth, kBlockH = TiledImage::kTileHeight;

  bool begin(const Document& document, Image32& target) {
    target_ = &target;
    for (int i = document.layerCount() - 1; i >= 0; --i) {
      const Layer* layer = document.layers().atIndex(i);
      if (!layer->visible()) continue;
      sources_.push_back({layer, LayerPixels(*layer)});
      if (!sources_.back().pixels.valid()) return false;
    }
    return target.create(document.width(), document.height());
  }
  int bands() const { return (target_->height() + kBlockH - 1) / kBlockH; }

  bool band(int index) const {
    Image32 dst, src;
    const int y = index * kBlockH, h = std::min(kBlockH, target_->height() - y);
    for (int x = 0; x < target_->width(); x += kBlockW) {
      const int w = std::min(kBlockW, target_->width() - x);
      if (dst.width() != w || dst.height() != h) {
        if (!dst.create(w, h) || !src.create(w, h)) return false;
      }
      dst.fill(0);
      bool touched = false;
      for (const Source& s : sources_) {
        const Layer& layer = *s.layer;
        const bool always = layer.blendMode == kBlendAdd || layer.blendMode == kBlendSubtract;
        if (always) {
          s.pixels.copyBlock(x, y, w, h, src);
        } else if (!s.pixels.blockCovered(x, y, w, h, layer.opacity, src)) {
          // What the first layer would do here: every pixel becomes transparent.
          if (!touched) dst.fill(kTransparent);
          touched = true;
          continue;
        }
        compositeAlphaAware(dst, src, layer.opacity, layer.blendMode, kFullOpacity, kBlendNormal);
        touched = true;
      }
      for (int r = 0; r < h; ++r) std::memcpy(target_->row(y + r) + x, dst.row(r), size_t(w) * sizeof(Pixel));
    }
    return true;
  }

 private:
  struct Source {
    const Layer* layer;
    LayerPixels pixels;
  };
  Image32* target_ = nullptr;
  std::vector<Source> sources_;
};

std::string formatOpacity(int opacity) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", opacity / 128.0);
  return text;
}

class ZipWriter {
 public:
  ~ZipWriter() {
    if (zip_) zip_discard(zip_);
  }
  bool create(const std::string& path) {
    int error = 0;
    zip_ = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    return zip_ != nullptr;
  }
  bool addBuffer(const char* name, const std::string& data, bool store) {
    buffers_.push_back(data);
    zip_source_t* source = zip_source_buffer(zip_, buffers_.back().data(), buffers_.back().size(), 0);
    return add(name, source, store);
  }
  bool addFile(const std::string& name, const std::string& file) {
    return add(name.c_str(), zip_source_file(zip_, file.c_str(), 0, -1), true);
  }
  bool close() {
    const bool ok = zip_close(zip_) == 0;
    if (ok) zip_ = nullptr;
    return ok;
  }

 private:
  bool add(const char* name, zip_source_t* source, bool store) {
    if (!source) return false;
    const zip_int64_t index = zip_file_add(zip_, name, source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      return false;
    }
    // PNGs are compressed already; the mimetype must be stored.
    return zip_set_file_compression(zip_, zip_uint64_t(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0) == 0;
  }

  zip_t* zip_ = nullptr;
  std::list<std::string> buffers_;   // libzip reads them at close; a list never moves them
};

}  // namespace

const char* oraOpFromBlendMode(int mode) { return (mode >= 0 && mode <= 20) ? kModes[mode].op : kModes[0].op; }

int blendModeFromOraOp(const std::string& op) {
  for (int m = 0; m < 21; ++m)
    if (op == kModes[m].op) return m;
  // What other writers say for the same modes.
  static const struct {
    const char* op;
    int mode;
  } kAliases[] = {{"svg:add", 2}, {"krita:add", 2}, {"krita:soft_light", 6}, {"krita:soft_light_svg", 6},
                  {"svg:soft-light", 6}, {"color-dodge", 8}, {"difference", 14}};
  for (const auto& a : kAliases)
    if (op == a.op) return a.mode;
  if (op.rfind("tessel:", 0) == 0) return std::max(0, blendModeFromTesselName(op.substr(7)));
  return 0;
}

int readOra(const std::string& path, Document& document, Progress* progress) {
  return readOra(path, document, progress, kMaxCanvasSize);
}

int readOra(const std::string& path, Document& document, Progress* progress, int maxSide) {
  ZipReader zip;
  if (int r = zip.open(path); r != kReadOk) return r;
  XmlNode root;
  if (int r = readStackXml(zip, root); r != kReadOk) return r;
  int w = 0, h = 0;
  if (int r = canvasSize(root, w, h, maxSide); r != kReadOk) return r;
  const XmlNode* stack = nullptr;
  for (const XmlNode& child : root.children)
    if (child.name == "stack") {
      stack = &child;
      break;
    }
  if (!stack) return kReadFormatError;
  TempFolder temp;
  if (!temp.valid()) return kReadFailed;
  std::vector<Staged> layers;
  StackReader reader(zip, temp, w, h, maxSide, progress);
  if (int r = reader.readStack(*stack, 0, 0, false, 128, 0, layers); r != kReadOk) return r;
  if (layers.empty()) return kReadFormatError;
  if (int r = decodeAll(layers, w, h); r != kReadOk) return r;

  // Everything is read: only now does the open document give way.
  // newImage keeps the old image when it fails; out of memory (which Open
  // answers with a blank document) only once the old one has gone.
  if (!document.newImage(w, h, false)) return kReadFailed;
  for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
    Layer* layer = document.layers().add(1, 1, false);
    if (!layer) {
      if (document.layerCount() == 0) document.newImage(w, h, true);
      document.selectLayer(0);
      return kReadOutOfMemory;
    }
    layer->adoptTiles(std::move(it->tiles));
    layerNameFromUtf8(it->name, layer->name);
    layer->blendMode = uint8_t(it->mode);
    layer->opacity = uint8_t(std::clamp(it->opacity, 0, 128));
    layer->maskMode = uint8_t(it->mask);
    layer->flags = uint8_t((it->visible ? kLayerVisible : 0) | (it->fillReference ? kLayerFillReference : 0));
  }
  const int count = document.layerCount();
  int current = 0;
  for (int i = 0; i < count; ++i)
    if (layers[size_t(i)].selected) {
      current = i;
      break;
    }
  current = int(number(root, "tessel:current", current));
  document.layers().setNameCounter(std::max(0, int(number(root, "tessel:name-counter", count))));
  document.selectLayer(current >= 0 && current < count ? current : 0);
  return kReadOk;
}

bool readOraMerged(const std::string& path, Image32& image, ImageReadInfo&) {
  return readPicture(path, "mergedimage.png", image);
}

bool readOraPicture(const std::string& path, int side, Image32& picture, int& width, int& height) {
  ZipReader zip;
  XmlNode root;
  if (zip.open(path) != kReadOk || readStackXml(zip, root) != kReadOk || canvasSize(root, width, height) != kReadOk)
    return false;
  TempFolder temp;
  if (!temp.valid()) return false;
  // A thumbnail is good when it has the canvas's shape (within a pixel of
  // rounding) and no fewer pixels than the picture wanted.
  if (readPngEntry(zip, temp, "Thumbnails/thumbnail.png", width, height, picture) == kReadOk) {
    const int64_t w = picture.width(), h = picture.height();
    const bool shaped = w <= width && h <= height && std::abs(w * height - h * width) <= std::max(width, height);
    if (shaped && std::max(w, h) >= std::min(side, std::max(width, height))) return true;
  }
  if (readPngEntry(zip, temp, "mergedimage.png", width, height, picture) == kReadOk && picture.width() == width &&
      picture.height() == height)
    return true;
  Document document;
  return readOra(path, document, nullptr) == kReadOk && document.flatten(picture, nullptr, true);
}

bool readOraThumbnail(const std::string& path, int side, Image32& thumb) {
  Image32 picture;
  int width = 0, height = 0;
  return readOraPicture(path, side, picture, width, height) && ThumbnailSink::shrink(picture, side, thumb);
}

bool writeOra(const std::string& path, Document& document, Progress* progress) {
  TempFolder temp;
  if (!temp.valid()) return false;
  const int count = document.layerCount();
  std::string xml = "<?xml version='1.0' encoding='UTF-8'?>\n";
  char head[256];
  std::snprintf(head, sizeof head,
                "<image version=\"0.0.5\" w=\"%d\" h=\"%d\" xres=\"72\" yres=\"72\" xmlns:tessel=\"%s\" "
                "tessel:current=\"%d\" tessel:name-counter=\"%d\">\n <stack>\n",
                document.width(), document.height(), kTesselNamespace, document.currentIndex(),
                document.layers().nameCounter());
  xml += head;
  std::vector<Rect> bounds(static_cast<size_t>(count));
  std::vector<std::string> entries(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "data/layer%03d.png", i);
    entries[size_t(i)] = entry;
  }
  const std::string mergedFile = temp.file("mergedimage.png"), thumbFile = temp.file("thumbnail.png");
  Image32 merged;
  BandFlattener flattener;
  if (!flattener.begin(document, merged)) return false;

  // One queue of jobs on every core: the bands of the merged image, then its
  // PNG and the thumbnail (once the bands are done), then the layers from
  // the bottom, where a background usually lies.
  const int bands = flattener.bands();
  const int jobs = bands + 1 + count;
  std::atomic<int> next{0};
  int bandsDone = 0;
  std::condition_variable bandsReady;
  std::atomic<bool> failed{false};
  std::mutex guard;   // the bands done and the progress steps
  // Through the file object, as every writer's bytes go, so a full disk shows.
  auto writeFile = [](const std::string& file, const PngMemoryWriter& png) {
    File f;
    return f.create(file) && f.writeAll(png.data(), png.size());
  };
  auto work = [&] {
    PngMemoryWriter png(kPngLevel);
    for (int job; !failed && (job = next++) < jobs;) {
      if (job < bands) {
        if (!flattener.band(job)) failed = true;
        std::lock_guard<std::mutex> lock(guard);
        if (++bandsDone == bands) bandsReady.notify_all();
        continue;
      }
      if (job == bands) {
        {
          std::unique_lock<std::mutex> lock(guard);
          bandsReady.wait(lock, [&] { return bandsDone == bands; });
        }
        Image32 thumb;
        // The merged image and thumbnail are previews: RGB where opaque, a
        // quarter less to compress. Layers stay RGBA.
        if (failed || !png.encode(merged, merged.bounds(), true) || !writeFile(mergedFile, png) ||
            !ThumbnailSink::shrink(merged, kThumbnailSide, thumb) || !png.encode(thumb, thumb.bounds(), true) ||
            !writeFile(thumbFile, png))
          failed = true;
        merged.destroy();
        continue;
      }
      const int index = count - 1 - (job - bands - 1);
      const LayerPixels pixels(*document.layers().atIndex(index));
      if (!pixels.valid()) {
        failed = true;
        break;
      }
      Rect r = pixels.paintedBounds();
      bounds[size_t(index)] = r;
      std::vector<Pixel> scratch;
      bool ok;
      if (r.empty()) {
        // A layer with nothing on it: one transparent pixel.
        const Pixel clear = kTransparent;
        ok = png.encode(1, 1, [&](int) { return &clear; });
      } else {
        scratch.resize(size_t(r.w));
        ok = png.encode(r.w, r.h, [&](int y) { return pixels.row(r.y + y, r.x, r.w, scratch.data()); });
      }
      if (!ok || !writeFile(temp.file(entries[size_t(index)].substr(5)), png)) failed = true;
      if (progress) {
        std::lock_guard<std::mutex> lock(guard);
        progress->step();
      }
    }
  };
  const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  if (failed) return false;

  for (int i = 0; i < count; ++i) {
    const Layer* layer = document.layers().atIndex(i);
    const Rect& r = bounds[size_t(i)];
    const int mode = layer->blendMode <= 20 ? layer->blendMode : 0;
    xml += "  <layer name=\"";
    appendEscaped(xml, layerNameToUtf8(layer->name));
    char attrs[320];
    std::snprintf(attrs, sizeof attrs,
                  "\" src=\"%s\" x=\"%d\" y=\"%d\" opacity=\"%s\" visibility=\"%s\" composite-op=\"%s\"",
                  entries[size_t(i)].c_str(), r.x, r.y, formatOpacity(layer->opacity).c_str(),
                  layer->visible() ? "visible" : "hidden", oraOpFromBlendMode(mode));
    xml += attrs;
    if (kModes[mode].tessel) xml += std::string(" tessel:blend=\"") + kModes[mode].tessel + "\"";
    if (layer->maskMode) xml += " tessel:mask=\"" + std::to_string(layer->maskMode) + "\"";
    if (layer->fillReference()) xml += " tessel:fill-reference=\"true\"";
    if (i == document.currentIndex()) xml += " selected=\"true\"";
    xml += "/>\n";
  }
  xml += " </stack>\n</image>\n";

  static std::atomic<unsigned> serial{0};
  const std::string folder = folderOf(path);
  const std::string partial = (folder.empty() ? std::string() : folder + "/") + ".~" + fileNameOf(path) + "." +
                              std::to_string(getpid()) + "." + std::to_string(serial++) + ".tmp";
  bool ok;
  {
    ZipWriter zip;
    ok = zip.create(partial) && zip.addBuffer("mimetype", kMimeType, true) &&
         zip.addBuffer("stack.xml", xml, false);
    for (size_t k = 0; ok && k < entries.size(); ++k) ok = zip.addFile(entries[k], temp.file(entries[k].substr(5)));
    ok = ok && zip.addFile("mergedimage.png", mergedFile) && zip.addFile("Thumbnails/thumbnail.png", thumbFile) &&
         zip.close();
  }
  if (ok) ok = std::rename(partial.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(partial.c_str());
  return ok;
}

}  // namespace tessel
