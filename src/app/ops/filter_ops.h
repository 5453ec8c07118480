#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <random>
#include <thread>

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
  ~FilterPreviewSession();
  FilterPreviewSession(const FilterPreviewSession&) = delete;
  FilterPreviewSession& operator=(const FilterPreviewSession&) = delete;

  // Takes the working copy; false when there is no layer or no memory.
  bool begin();
  FilterPreview mode() const { return mode_; }
  const Image32& workingCopy() const { return copy_; }
  const Rect& target() const { return target_; }

  // Runs the preview with the values the dialog holds, when its preview box
  // is checked, and waits for it.
  void update(const FilterDialogModel& model);
  void preview(const FilterValues& values);
  int previews() const { return previews_; }   // previews shown

  // The same without waiting: the filter runs on a worker thread into a
  // scratch image. A preview still running is abandoned first. When it is
  // done, previewDone is called on the worker; finishPreview then shows it.
  void startPreview(const FilterValues& values);
  std::function<void()> previewDone;
  // Waits for the running preview and shows its result unless it was
  // abandoned. Call from the thread that started it.
  void finishPreview();
  // Abandons the running preview and waits until its worker has stopped.
  void cancelPreview();
  bool previewRunning() const { return worker_.joinable(); }
  // The running preview has finished: finishPreview will not wait.
  bool previewReady() const { return worker_.joinable() && finished_; }

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
  // One preview into dst for area (previews draw from their own copy of the generator).
  bool runFilter(const FilterValues& values, Image32& dst, const Image32& src, const Rect& area);
  void show(const Image32& result, const Rect& area);

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
  // The running preview.
  std::thread worker_;
  std::atomic<bool> cancel_{false}, finished_{false};
  bool workerOk_ = false;
  Rect workerArea_;
  Image32 scratch_;
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
// Runs a filter command of the Filter menu (the filter table's commands and
// the extra colour, alpha and cloud ones): its dialog, then the filter on the current
// layer as one undo step. False for other identifiers.
bool runFilterCommand(Application& app, Shell& shell, int id);
// Applies a command with the given values through its path (progress
// worker or direct) and redraws; false when the filter failed.
bool applyFilterCommand(Application& app, Shell& shell, const FilterEntry& entry,
                        const FilterValues& values);

}  // namespace tessel
