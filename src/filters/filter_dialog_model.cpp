#include "filters/filter_dialog_model.h"
#include "resources/language.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace tessel {

namespace {

constexpr int kLeft = 16;            // controls' left edge without a preview box
constexpr int kTop = 14;
constexpr int kRowGap = 6;
constexpr int kBoxLeft = 10, kBoxTop = 14;
constexpr int kButtonHeightUnits = 14;
constexpr int kButtonRowWidth = 290;   // the preview check box and three buttons

int textWidth(const DialogMetrics& m, const std::string& s) {
  return m.textWidth ? m.textWidth(s) : int(s.size()) * m.baseX;
}

// Reads a signed decimal integer as the number fields do, saturating
// instead of overflowing. Leading and trailing blanks are allowed.
bool parseSigned(const std::string& text, long long& out) {
  size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  size_t digits = i;
  long long v = 0;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) v = std::min(v * 10 + (text[i] - '0'), (long long)INT_MAX + 1);
  if (i == digits) return false;
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return false;
  out = negative ? -v : v;
  return true;
}

}  // namespace

std::string hundredthsText(int value) {
  char text[24];
  unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
  std::snprintf(text, sizeof text, "%s%u.%02u", value < 0 ? "-" : "", magnitude / 100, magnitude % 100);
  return text;
}

std::string layerChooserLine(int index, const std::string& name, bool current) {
  return std::to_string(index + 1) + ". " + name + (current ? " *" : "");
}

int sliderValueX(const SliderLimits& s, int value, int clientWidth) {
  int track = clientWidth - 4;
  if (s.max <= s.min || track < 1) return 2;
  return 2 + int((long long)(value - s.min) * (track - 1) / (s.max - s.min));
}

int sliderMarkX(const SliderLimits& s, int clientWidth) {
  return s.mark > s.min ? sliderValueX(s, std::min(s.mark, s.max), clientWidth) : -1;
}

int sliderValueAt(const SliderLimits& s, int mouseX, int clientWidth) {
  int span = clientWidth - 5;
  if (span < 1) return s.min;
  long long v = s.min + (long long)(s.max - s.min) * (mouseX - 2) / span;
  return int(std::clamp<long long>(v, s.min, s.max));
}

bool FilterDialogModel::build(const FilterDialogSetup& setup, const DialogMetrics& metrics) {
  setup_ = setup;
  controls_.clear();
  std::vector<TemplateControl> records;
  if (!loadFilterTemplate(setup.templateId, records)) return false;
  ValueLayout layout = buildValueLayout(records, setup.target);
  int labels = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    DialogControl c;
    c.record = records[i];
    c.slot = layout.slot[i];
    c.label = text::trPadded(codePage936ToUtf8(c.record.label));
    const FilterValues& d = layout.defaults;
    switch (c.slot.group) {
      case ValueGroup::Slider:
        c.limits = layout.slider[c.slot.index];
        c.value = d.slider[c.slot.index];
        c.id = (c.decimal() ? filter_ids::kDecimalSlider : filter_ids::kSlider) + c.slot.index;
        c.fieldId = (c.decimal() ? filter_ids::kDecimalField : filter_ids::kField) + c.slot.index;
        break;
      case ValueGroup::Check:
        c.value = d.check[c.slot.index];
        c.id = filter_ids::kCheck + c.slot.index;
        break;
      case ValueGroup::List:
        c.value = d.list[c.slot.index];
        c.id = filter_ids::kList + c.slot.index;
        break;
    }
    if (c.record.kind == ControlKind::List) {
      for (const std::string& item : c.record.items) c.items.push_back(text::trPadded(codePage936ToUtf8(item)));
    } else if (c.record.kind == ControlKind::LayerChooser) {
      for (size_t l = 0; l < setup.layerNames.size(); ++l)
        c.items.push_back(layerChooserLine(int(l), setup.layerNames[l], int(l) == setup.target.currentLayer));
      c.value = std::clamp(c.value, 0, std::max(0, int(c.items.size()) - 1));
    }
    if (c.record.kind != ControlKind::Check) c.labelId = filter_ids::kLabel + labels++;
    controls_.push_back(std::move(c));
  }
  previewChecked = previewAvailable();
  placeControls(metrics);
  return true;
}

namespace {
// The check box's square and the gap before its label.
constexpr int kCheckIndicator = 24;
}  // namespace

void FilterDialogModel::placeControls(const DialogMetrics& m) {
  bool box = setup_.preview == FilterPreview::Box;
  previewBox_ = box ? Rect{kBoxLeft, kBoxTop, setup_.previewWidth, setup_.previewHeight} : Rect{};
  int left = box ? setup_.previewWidth + 26 : kLeft;
  labelWidth_ = 0;
  for (const DialogControl& c : controls_)
    if (c.record.kind != ControlKind::Check) labelWidth_ = std::max(labelWidth_, textWidth(m, c.label));

  int y = kTop, right = box ? previewBox_.x + previewBox_.w : 0, bottom = box ? previewBox_.y + previewBox_.h : 0;
  int rowHeight = m.y(13);
  int controlLeft = left + labelWidth_ + 10;
  for (DialogControl& c : controls_) {
    int height = rowHeight;
    if (c.record.kind == ControlKind::Check) {
      height = m.y(10);
      // Wide enough for its label (English labels run longer than the template's width).
      c.controlRect = {left, y, std::max(m.x(c.record.width), textWidth(m, c.label) + kCheckIndicator), height};
    } else {
      c.labelRect = {left, y, labelWidth_, rowHeight};
      if (c.isSlider()) {
        c.controlRect = {controlLeft, y, m.x(c.record.width), m.y(10)};
        c.fieldRect = {controlLeft + c.controlRect.w + 8, y, m.x(29), rowHeight};
      } else {
        c.controlRect = {controlLeft, y, m.x(c.record.width), rowHeight};
        c.dropHeight = m.y(90);
      }
    }
    const Rect& last = c.fieldRect.w > 0 ? c.fieldRect : c.controlRect;
    right = std::max(right, last.x + last.w);
    bottom = std::max(bottom, y + height);
    y += height + kRowGap;
  }
  buttonsTop_ = bottom + 20;
  width_ = std::max(right + 14, kButtonRowWidth);
  height_ = buttonsTop_ + m.y(kButtonHeightUnits) + 14;
}

const DialogControl* FilterDialogModel::control(int id) const {
  for (const DialogControl& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

bool FilterDialogModel::setSlider(size_t i, int value) {
  if (i >= controls_.size() || !controls_[i].isSlider()) return false;
  DialogControl& c = controls_[i];
  value = std::clamp(value, c.limits.min, c.limits.max);
  if (value == c.value) return false;
  c.value = value;
  return true;
}

bool FilterDialogModel::typeNumber(size_t i, const std::string& text, bool* changed) {
  long long v = 0;
  if (changed) *changed = false;
  if (i >= controls_.size() || controls_[i].record.kind != ControlKind::Slider || !parseSigned(text, v))
    return false;
  const DialogControl& c = controls_[i];
  bool moved = setSlider(i, int(std::clamp<long long>(v, c.limits.min, c.limits.max)));
  if (changed) *changed = moved;
  return true;
}

bool FilterDialogModel::setCheck(size_t i, bool checked) {
  if (i >= controls_.size() || controls_[i].record.kind != ControlKind::Check) return false;
  if (controls_[i].value == int(checked)) return false;
  controls_[i].value = checked ? 1 : 0;
  return true;
}

bool FilterDialogModel::setItem(size_t i, int item) {
  if (i >= controls_.size() || !controls_[i].record.isList()) return false;
  DialogControl& c = controls_[i];
  if (item < 0 || item >= int(c.items.size()) || item == c.value) return false;
  c.value = item;
  return true;
}

void FilterDialogModel::reset() {
  for (DialogControl& c : controls_)
    if (c.isSlider()) c.value = c.limits.defaultValue;
}

FilterValues FilterDialogModel::values() const {
  FilterValues v;
  for (const DialogControl& c : controls_) {
    switch (c.slot.group) {
      case ValueGroup::Slider: v.slider[c.slot.index] = c.value; break;
      case ValueGroup::Check: v.check[c.slot.index] = c.value; break;
      case ValueGroup::List: v.list[c.slot.index] = c.value; break;
    }
  }
  return v;
}

std::string FilterDialogModel::fieldText(size_t i) const {
  if (i >= controls_.size()) return {};
  const DialogControl& c = controls_[i];
  return c.decimal() ? hundredthsText(c.value) : std::to_string(c.value);
}

}  // namespace tessel
