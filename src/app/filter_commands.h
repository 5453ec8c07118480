#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <random>

#include "filters/filter_dialog_model.h"
#include "filters/filter_table.h"
#include "filters/filter_types.h"
#include "image/image32.h"

namespace tessel {

class Application;
class Document;
class Shell;

// The live preview behind a filter dialog. Mode 1 (canvas) filters the
// layer from a working copy taken at the start; mode 2 (box) filters the
// working copy from the layer, only where the preview box looks.
class FilterPreviewSession {
 public:
  FilterPreviewSession(Document& doc, const FilterEntry& entry, const FilterContext& context,
                       const Rect& target);

  // Takes the working copy; false when there is no layer or no memory.
  bool begin();
  FilterPreview mode() const { return mode_; }
  const Image32& workingCopy() const { return copy_; }
  const Rect& target() const { return target_; }

  // Runs the preview with the values the dialog holds, when its preview box is checked.
  void update(const FilterDialogModel& model);
  void preview(const FilterValues& values);
  int previews() const { return previews_; }

  // Preview box: the part of the image it shows. Dragging moves it,
  // always inside the image; the area that comes into view shows the layer
  // unfiltered until the preview runs again.
  void setBoxSize(int width, int height);
  const Rect& boxView() const { return view_; }
  void scrollBox(int dx, int dy);

  // Undoes an on-canvas preview: the layer gets the working copy back and
  // the canvas is redrawn. Nothing for the other modes.
  void restore();

  // Called with the image rectangle an on-canvas preview changed.
  std::function<void(const Rect&)> canvasChanged;

 private:
  void refreshCopy(const Rect& area);

  Document& doc_;
  const FilterEntry& entry_;
  FilterContext context_;
  FilterPreview mode_;
  Rect target_, view_, filtered_;
  Image32 copy_;
  // Previews draw from a copy of the generator taken at the start, so that a
  // preview of a random filter shows what OK will give and the engine's
  // sequence is left as it was.
  std::mt19937 random_;
  bool hasRandom_ = false;
  int previews_ = 0;
};

// The rectangle filters work on: the selection, or the whole canvas.
Rect filterTarget(const Application& app);
// Colours, layers and the random generator the filters take from the session.
FilterContext filterContext(Application& app);
// The luma histogram of the opaque pixels of image within rect, for the levels dialog.
std::array<uint32_t, 256> lumaHistogram(const Image32& image, const Rect& rect);
// Keeps the levels values usable: low < middle < high on the input side,
// every value within 0 ... 255.
void clampLevels(FilterValues& values);

// Whether a filter command can run now (it exists and there is a layer).
bool filterCommandEnabled(const Application& app, int id);
// Runs a filter command of the Filter menu (41000-41051, 41800-41803,
// 41810-41813, 41820-41822): its dialog, then the filter on the current
// layer as one undo step. False for other identifiers.
bool runFilterCommand(Application& app, Shell& shell, int id);
// Applies a command with the given values through its path (progress
// worker or direct) and redraws; false when the filter failed.
bool applyFilterCommand(Application& app, Shell& shell, const FilterEntry& entry,
                        const FilterValues& values);

}  // namespace tessel
