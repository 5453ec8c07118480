#pragma once
#include <functional>
#include <string>
#include <vector>

#include "filters/filter_table.h"
#include "filters/filter_template.h"
#include "image/geometry.h"

namespace tessel {

// Control identifiers of the generic filter dialog (n: number within the group).
namespace filter_ids {
constexpr int kOk = 1, kCancel = 2, kReset = 3;
constexpr int kPreviewCheck = 1100, kPreviewBox = 1101;
constexpr int kLabel = 1200, kSlider = 1300, kField = 1400, kUpDown = 1500;
constexpr int kCheck = 1600, kList = 1700, kDecimalSlider = 1750, kDecimalField = 1800;
}  // namespace filter_ids

// How the window system measures: dialog base units of the dialog font
// (one dialog unit is baseX / 4 pixels across and baseY / 8 down) and the
// pixel width of a UTF-8 text in that font.
struct DialogMetrics {
  int baseX = 6, baseY = 12;
  std::function<int(const std::string&)> textWidth;

  int x(int units) const { return units * baseX / 4; }
  int y(int units) const { return units * baseY / 8; }
};

// What a filter dialog is opened for.
struct FilterDialogSetup {
  int templateId = 0;
  std::string title;                      // UTF-8
  FilterPreview preview = FilterPreview::None;
  int previewWidth = 160, previewHeight = 150;
  bool resetEnabled = false;
  TemplateTarget target;
  std::vector<std::string> layerNames;    // UTF-8, layer-index order
};

// One control of the dialog: its template record, the value it edits and
// where it sits (pixels, dialog client coordinates).
struct DialogControl {
  TemplateControl record;
  ValueSlot slot;
  SliderLimits limits;                    // sliders
  int value = 0;                          // slider value, check state or item position
  std::string label;                      // UTF-8
  std::vector<std::string> items;         // UTF-8 list items or layer lines
  int id = 0;                             // slider, check box or list
  int fieldId = 0, labelId = 0;
  Rect labelRect, controlRect, fieldRect;
  int dropHeight = 0;                     // lists: height of the open list

  bool isSlider() const { return record.isSlider(); }
  bool decimal() const { return record.kind == ControlKind::DecimalSlider; }
};

// The generic filter dialog without a window: the layout built from the
// template and the values its controls hold. The window only shows it.
class FilterDialogModel {
 public:
  // False for an unknown or damaged template.
  bool build(const FilterDialogSetup& setup, const DialogMetrics& metrics);

  // Places the controls again for another font.
  void relayout(const DialogMetrics& metrics) { placeControls(metrics); }

  const FilterDialogSetup& setup() const { return setup_; }
  std::vector<DialogControl>& controls() { return controls_; }
  const std::vector<DialogControl>& controls() const { return controls_; }
  const DialogControl* control(int id) const;

  // Layout results.
  int labelColumnWidth() const { return labelWidth_; }
  Rect previewBox() const { return previewBox_; }   // empty unless the preview is in the box
  int buttonsTop() const { return buttonsTop_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // The preview check box: enabled and checked when there is a preview.
  bool previewAvailable() const { return setup_.preview != FilterPreview::None; }
  bool previewChecked = false;

  // Edits; each returns true when the value changed.
  bool setSlider(size_t control, int value);          // clamped to the limits
  // A number field's text, read as a signed integer and clamped; false
  // (nothing changes) when it is not a number.
  bool typeNumber(size_t control, const std::string& text, bool* changed = nullptr);
  bool setCheck(size_t control, bool checked);
  bool setItem(size_t control, int item);
  // Every slider back to its default; check boxes and lists keep theirs.
  void reset();

  // The value block the controls hold now.
  FilterValues values() const;
  // Text of a slider's number field: the integer, or hundredths with two decimals.
  std::string fieldText(size_t control) const;

 private:
  void placeControls(const DialogMetrics& metrics);

  FilterDialogSetup setup_;
  std::vector<DialogControl> controls_;
  int labelWidth_ = 0;
  Rect previewBox_;
  int buttonsTop_ = 0, width_ = 0, height_ = 0;
};

// The program-drawn slider: positions on a control of clientWidth pixels
// (the track runs from x = 2 to clientWidth - 2).
int sliderValueX(const SliderLimits& s, int value, int clientWidth);
// The mark's position, or -1 when the mark is not drawn (not above min).
int sliderMarkX(const SliderLimits& s, int clientWidth);
// The value under the mouse while dragging, clamped.
int sliderValueAt(const SliderLimits& s, int mouseX, int clientWidth);
// Hundredths as text with two decimals: 100 -> "1.00", 10 -> "0.10".
std::string hundredthsText(int value);

// A layer chooser's line: "%d. %s" numbered from 1, " *" for the current layer.
std::string layerChooserLine(int index, const std::string& name, bool current);

}  // namespace tessel
