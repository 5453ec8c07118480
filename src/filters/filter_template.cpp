#include "filters/filter_template.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tessel {

namespace {

// Bounds-checked little-endian reads; once a read fails, every later one does.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  bool atEnd() const { return pos_ == bytes_.size(); }
  size_t position() const { return pos_; }

  uint8_t u8() {
    if (!need(1)) return 0;
    return bytes_[pos_++];
  }
  uint16_t u16() {
    if (!need(2)) return 0;
    uint16_t v = uint16_t(bytes_[pos_] | bytes_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  int16_t i16() { return int16_t(u16()); }
  // NUL-terminated text within the remaining bytes.
  std::string text() {
    if (!ok_ || pos_ == bytes_.size()) {
      ok_ = false;
      return {};
    }
    const uint8_t* start = bytes_.data() + pos_;
    const void* nul = std::memchr(start, 0, bytes_.size() - pos_);
    if (!nul) {
      ok_ = false;
      return {};
    }
    size_t length = size_t(static_cast<const uint8_t*>(nul) - start);
    pos_ += length + 1;
    return std::string(reinterpret_cast<const char*>(start), length);
  }
  // A sub-reader over the next n bytes.
  Reader block(size_t n) {
    if (!need(n)) return Reader({});
    Reader r(bytes_.subspan(pos_, n));
    pos_ += n;
    return r;
  }
  void fail() { ok_ = false; }

 private:
  bool need(size_t n) {
    if (ok_ && bytes_.size() - pos_ >= n) return true;
    ok_ = false;
    return false;
  }
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

bool readSlider(Reader& block, size_t size, TemplateControl& c) {
  if (size != 8 && size != 9) return false;
  c.min = block.i16();
  c.max = block.i16();
  c.defaultValue = block.i16();
  c.mark = block.i16();
  c.hasSizeFlags = size == 9;
  if (c.hasSizeFlags) {
    c.sizeFlags = block.u8();
    return true;
  }
  // Fixed limits must make sense on their own.
  return c.min <= c.max && c.defaultValue >= c.min && c.defaultValue <= c.max;
}

bool readList(Reader& block, TemplateControl& c) {
  for (;;) {
    std::string item = block.text();
    if (!block.ok()) return false;
    if (item.empty()) break;
    c.items.push_back(std::move(item));
  }
  c.defaultItem = block.u8();
  return block.ok() && !c.items.empty() && c.defaultItem < int(c.items.size());
}

bool readParameters(Reader& block, size_t size, TemplateControl& c) {
  switch (c.kind) {
    case ControlKind::Slider:
    case ControlKind::DecimalSlider: return readSlider(block, size, c);
    case ControlKind::Check:
      c.checked = block.u8() == 1;
      return size == 1;
    case ControlKind::List: return readList(block, c);
    case ControlKind::LayerChooser:
      c.preselectNext = block.u8() == 1;
      return size == 1;
  }
  return false;
}

bool readControl(Reader& in, TemplateControl& c) {
  uint8_t kind = in.u8();
  c.width = in.i16();
  c.label = in.text();
  uint16_t size = in.u16();
  Reader block = in.block(size);
  if (!in.ok() || kind > uint8_t(ControlKind::LayerChooser) || c.width <= 0) return false;
  c.kind = ControlKind(kind);
  // The parameter block must be used exactly.
  return readParameters(block, size, c) && block.ok() && block.atEnd();
}

}  // namespace

bool parseFilterTemplate(std::span<const uint8_t> bytes, std::vector<TemplateControl>& out) {
  out.clear();
  Reader in(bytes);
  int count = in.u8();
  int sliders = 0, checks = 0, lists = 0;
  for (int i = 0; i < count && in.ok(); ++i) {
    TemplateControl c;
    if (!readControl(in, c)) {
      out.clear();
      return false;
    }
    sliders += c.isSlider();
    checks += c.kind == ControlKind::Check;
    lists += c.isList();
    out.push_back(std::move(c));
  }
  if (!in.ok() || !in.atEnd() || sliders > 5 || checks > 2 || lists > 2) {
    out.clear();
    return false;
  }
  return true;
}

bool findFilterTemplate(int id, std::span<const uint8_t>& bytes) {
  for (const PackedTemplate& t : packedFilterTemplates())
    if (t.id == id) {
      bytes = {t.data, t.size};
      return true;
    }
  return false;
}

bool loadFilterTemplate(int id, std::vector<TemplateControl>& out) {
  std::span<const uint8_t> bytes;
  if (!findFilterTemplate(id, bytes)) {
    out.clear();
    return false;
  }
  return parseFilterTemplate(bytes, out);
}

SliderLimits sliderLimits(const TemplateControl& c, const TemplateTarget& target) {
  SliderLimits s{c.min, c.max, c.defaultValue, c.mark, c.kind == ControlKind::DecimalSlider};
  if (c.hasSizeFlags) {
    bool height = (c.sizeFlags & kSizeFromHeight) != 0;
    int size = (c.sizeFlags & kSizeFromRect) ? (height ? target.rect.h : target.rect.w)
                                             : (height ? target.imageHeight : target.imageWidth);
    // A size of one pixel or none still leaves a usable range.
    s.max = std::max(s.min, size - 1);
    if (c.sizeFlags & kSizeDefaultHalf) s.defaultValue = size / 2;
  }
  s.defaultValue = std::clamp(s.defaultValue, s.min, s.max);
  return s;
}

ValueLayout buildValueLayout(const std::vector<TemplateControl>& controls,
                             const TemplateTarget& target) {
  ValueLayout layout;
  for (const TemplateControl& c : controls) {
    ValueSlot slot;
    if (c.isSlider() && layout.sliders < 5) {
      slot = {ValueGroup::Slider, layout.sliders++};
      layout.slider[slot.index] = sliderLimits(c, target);
      layout.defaults.slider[slot.index] = layout.slider[slot.index].defaultValue;
    } else if (c.kind == ControlKind::Check && layout.checks < 2) {
      slot = {ValueGroup::Check, layout.checks++};
      layout.defaults.check[slot.index] = c.checked ? 1 : 0;
    } else if (c.isList() && layout.lists < 2) {
      slot = {ValueGroup::List, layout.lists++};
      int value = c.defaultItem;
      if (c.kind == ControlKind::LayerChooser)
        value = c.preselectNext && target.currentLayer + 1 < target.layerCount
                    ? target.currentLayer + 1
                    : target.currentLayer;
      layout.defaults.list[slot.index] = value;
    }
    layout.slot.push_back(slot);
  }
  return layout;
}

bool defaultValues(int templateId, int imageWidth, int imageHeight, const Rect& rect,
                   FilterValues& out, int currentLayer, int layerCount) {
  std::vector<TemplateControl> controls;
  if (!loadFilterTemplate(templateId, controls)) return false;
  TemplateTarget target{imageWidth, imageHeight, rect, currentLayer, layerCount};
  out = buildValueLayout(controls, target).defaults;
  return true;
}

std::string codePage936ToUtf8(const std::string& text) {
  std::string out;
  iconv_t cd = iconv_open("UTF-8", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string buffer(text.size() * 3 + 8, '\0');
  char* src = const_cast<char*>(text.data());
  size_t left = text.size();
  while (left > 0) {
    char* dst = buffer.data();
    size_t room = buffer.size();
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer.data(), size_t(dst - buffer.data()));
    if (r == size_t(-1) && errno != E2BIG) {
      out.push_back('?');
      ++src;
      --left;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace tessel
