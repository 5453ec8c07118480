#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "filters/filter_types.h"
#include "image/geometry.h"

namespace tessel {

constexpr int kFirstFilterTemplate = 700;
constexpr int kFilterTemplateCount = 41;

enum class ControlKind : uint8_t {
  Slider = 0,          // integer slider with a number field
  Check = 1,
  List = 2,
  DecimalSlider = 3,   // value in hundredths
  LayerChooser = 4,
};

// Size flags of a slider whose limits follow the image.
constexpr uint8_t kSizeFromHeight = 0x01;
constexpr uint8_t kSizeDefaultHalf = 0x02;
constexpr uint8_t kSizeFromRect = 0x04;

// One control record. Text is code page 936 bytes, as stored.
struct TemplateControl {
  ControlKind kind = ControlKind::Slider;
  int width = 0;   // dialog units
  std::string label;
  // Sliders.
  int min = 0, max = 0, defaultValue = 0, mark = 0;
  bool hasSizeFlags = false;
  uint8_t sizeFlags = 0;
  // Check boxes.
  bool checked = false;
  // Lists.
  std::vector<std::string> items;
  int defaultItem = 0;
  // Layer choosers: preselect the layer below the current one.
  bool preselectNext = false;

  bool isSlider() const { return kind == ControlKind::Slider || kind == ControlKind::DecimalSlider; }
  bool isList() const { return kind == ControlKind::List || kind == ControlKind::LayerChooser; }
};

// A template as built into the program.
struct PackedTemplate {
  int id;
  const uint8_t* data;
  size_t size;
};
std::span<const PackedTemplate> packedFilterTemplates();   // generated at build time
bool findFilterTemplate(int id, std::span<const uint8_t>& bytes);

// Reads every control record, checking each length against the data. False
// for anything malformed: a record running past the end, an unknown kind, a
// parameter block of the wrong size, an empty or unterminated list, a default
// outside its range, more controls of a group than the value block holds, or
// bytes left over. out is cleared first.
bool parseFilterTemplate(std::span<const uint8_t> bytes, std::vector<TemplateControl>& out);
bool loadFilterTemplate(int id, std::vector<TemplateControl>& out);

// Which value of the block a control sets.
enum class ValueGroup { Slider, Check, List };
struct ValueSlot {
  ValueGroup group = ValueGroup::Slider;
  int index = 0;
  constexpr bool operator==(const ValueSlot&) const = default;
};

// What the dialog is built against.
struct TemplateTarget {
  int imageWidth = 0;
  int imageHeight = 0;
  Rect rect;              // the selection, or the whole canvas
  int currentLayer = 0;
  int layerCount = 1;
};

struct SliderLimits {
  int min = 0, max = 0, defaultValue = 0, mark = 0;
  bool decimal = false;
};

// The value block as a template lays it out, with the limits of its sliders
// and every control's default. slot[i] belongs to control i.
struct ValueLayout {
  int sliders = 0, checks = 0, lists = 0;
  SliderLimits slider[5];
  std::vector<ValueSlot> slot;
  FilterValues defaults;
};

ValueLayout buildValueLayout(const std::vector<TemplateControl>& controls,
                             const TemplateTarget& target);
SliderLimits sliderLimits(const TemplateControl& control, const TemplateTarget& target);

// The values a template's dialog opens with. False for an unknown template.
bool defaultValues(int templateId, int imageWidth, int imageHeight, const Rect& rect,
                   FilterValues& out, int currentLayer = 0, int layerCount = 1);

// Template text for a user interface; undecodable bytes become '?'.
std::string codePage936ToUtf8(const std::string& text);

}  // namespace tessel
