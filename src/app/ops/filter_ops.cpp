#include "app/ops/filter_ops.h"

#include <algorithm>

#include "app/application.h"
#include "app/shell.h"
#include "document/document.h"
#include "filters/apply_filter.h"
#include "filters/filter_cancel.h"
#include "resources/language.h"

namespace tessel {

namespace {

constexpr int kLevelsIndex = 2;
constexpr int kReplaceColourIndex = 11;

FilterDialogSetup dialogSetup(const Application& app, const FilterEntry& entry) {
  const Document& doc = app.document;
  FilterDialogSetup s;
  s.templateId = entry.templateId;
  s.title = text::tr(entry.menuName);
  s.preview = entry.preview;
  s.previewWidth = entry.previewWidth;
  s.previewHeight = entry.previewHeight;
  s.resetEnabled = entry.resetEnabled;
  s.target = {doc.width(), doc.height(), filterTarget(app), doc.currentIndex(), doc.layerCount()};
  for (int i = 0; i < doc.layerCount(); ++i)
    s.layerNames.push_back(layerNameToUtf8(doc.layers().atIndex(i)->name));
  return s;
}

// The template dialog with its live preview. The layer is always left as
// it was before the dialog; the values come back on OK.
bool askTemplateValues(Application& app, Shell& shell, const FilterEntry& entry, FilterValues& values) {
  FilterDialogModel model;
  if (!model.build(dialogSetup(app, entry), DialogMetrics{})) return false;
  FilterPreviewSession session(app.document, entry, filterContext(app), filterTarget(app));
  session.canvasChanged = [&](const Rect& r) { shell.refreshCanvas(r); };
  if (!session.begin()) return false;
  bool ok = shell.runFilterDialog(model, session);
  session.restore();
  if (ok) values = model.values();
  return ok;
}

bool askOwnValues(Application& app, Shell& shell, const FilterEntry& entry, FilterValues& values) {
  if (entry.index() == kLevelsIndex) {
    const Layer* layer = app.document.currentLayer();
    const int32_t defaults[5] = {0, 128, 255, 0, 255};
    std::copy(defaults, defaults + 5, values.slider);
    // Its own dialog previews on the canvas.
    FilterEntry onCanvas = entry;
    onCanvas.preview = FilterPreview::Canvas;
    FilterPreviewSession session(app.document, onCanvas, filterContext(app), filterTarget(app));
    session.canvasChanged = [&](const Rect& r) { shell.refreshCanvas(r); };
    if (!session.begin()) return false;
    bool ok = shell.runLevelsDialog(values, lumaHistogram(layer->image(), filterTarget(app)), session);
    session.restore();
    clampLevels(values);
    return ok;
  }
  if (entry.index() == kReplaceColourIndex) {
    Pixel from = app.painting.draw.drawCol1 & 0xFFFFFFu, to = app.painting.draw.drawCol2 & 0xFFFFFFu;
    if (!shell.askReplaceColours(from, to)) return false;
    values.slider[0] = int32_t(from & 0xFFFFFFu);
    values.slider[1] = int32_t(to & 0xFFFFFFu);
    return true;
  }
  return false;
}

}  // namespace

FilterPreviewSession::FilterPreviewSession(Document& doc, const FilterEntry& entry,
                                           const FilterContext& context, const Rect& target)
    : doc_(doc), entry_(entry), context_(context), mode_(entry.preview),
      target_(target.intersected(doc.canvasRect())) {
  context_.layers = &doc.layers();
  context_.currentLayer = doc.currentIndex();
  if (context.random) {
    random_ = *context.random;
    hasRandom_ = true;
  }
}

bool FilterPreviewSession::begin() {
  const Layer* layer = doc_.currentLayer();
  if (!layer || !filterFunctionOf(entry_)) return false;
  if (mode_ == FilterPreview::None) return true;
  if (!copy_.create(doc_.width(), doc_.height())) return false;
  copy_.copyFrom(layer->image());
  if (mode_ == FilterPreview::Box) setBoxSize(entry_.previewWidth, entry_.previewHeight);
  return true;
}

FilterPreviewSession::~FilterPreviewSession() { cancelPreview(); }

void FilterPreviewSession::update(const FilterDialogModel& model) {
  if (model.previewChecked) preview(model.values());
}

bool FilterPreviewSession::runFilter(const FilterValues& values, Image32& dst, const Image32& src,
                                     const Rect& area) {
  FilterFunction function = filterFunctionOf(entry_);
  if (!function || area.empty()) return false;
  std::mt19937 random = random_;
  FilterContext context = context_;
  context.random = hasRandom_ ? &random : nullptr;
  return function(values, context, dst, src, area, nullptr);
}

// Mode 1 filters the layer from the working copy over the target; mode 2
// the working copy from the layer where the box looks.
void FilterPreviewSession::preview(const FilterValues& values) {
  cancelPreview();
  Layer* layer = doc_.currentLayer();
  if (!layer || !copy_.valid() || mode_ == FilterPreview::None) return;
  if (mode_ == FilterPreview::Canvas) {
    if (!runFilter(values, layer->image(), copy_, target_))
      layer->image().blit(target_.x, target_.y, target_.w, target_.h, copy_, target_.x, target_.y);
    ++previews_;
    if (canvasChanged) canvasChanged(target_);
  } else {
    refreshCopy(filtered_);
    filtered_ = view_;
    if (!runFilter(values, copy_, layer->image(), view_)) refreshCopy(view_);
    ++previews_;
  }
}

void FilterPreviewSession::startPreview(const FilterValues& values) {
  cancelPreview();
  Layer* layer = doc_.currentLayer();
  if (!layer || !copy_.valid() || mode_ == FilterPreview::None) return;
  if (!scratch_.valid() && !scratch_.create(doc_.width(), doc_.height())) return preview(values);
  bool canvas = mode_ == FilterPreview::Canvas;
  workerArea_ = canvas ? target_ : view_;
  const Image32& source = canvas ? copy_ : layer->image();
  // The scratch starts as the destination would: the original pixels.
  scratch_.blit(workerArea_.x, workerArea_.y, workerArea_.w, workerArea_.h, source, workerArea_.x, workerArea_.y);
  cancel_ = false;
  finished_ = false;
  workerOk_ = false;
  worker_ = std::thread([this, values, &source] {
    FilterCancelScope scope(&cancel_);
    workerOk_ = runFilter(values, scratch_, source, workerArea_);
    finished_ = true;
    if (previewDone && !cancel_) previewDone();
  });
}

void FilterPreviewSession::finishPreview() {
  if (!worker_.joinable()) return;
  worker_.join();
  if (cancel_ || !workerOk_) return;
  show(scratch_, workerArea_);
}

void FilterPreviewSession::show(const Image32& result, const Rect& area) {
  Layer* layer = doc_.currentLayer();
  if (!layer) return;
  ++previews_;
  if (mode_ == FilterPreview::Canvas) {
    layer->image().blit(area.x, area.y, area.w, area.h, result, area.x, area.y);
    if (canvasChanged) canvasChanged(area);
  } else {
    refreshCopy(filtered_);
    filtered_ = area;
    copy_.blit(area.x, area.y, area.w, area.h, result, area.x, area.y);
  }
}

void FilterPreviewSession::cancelPreview() {
  if (!worker_.joinable()) return;
  cancel_ = true;
  worker_.join();
}

void FilterPreviewSession::refreshCopy(const Rect& area) {
  const Layer* layer = doc_.currentLayer();
  if (layer && !area.empty()) copy_.blit(area.x, area.y, area.w, area.h, layer->image(), area.x, area.y);
}

void FilterPreviewSession::setBoxSize(int width, int height) {
  int w = std::min(width, doc_.width()), h = std::min(height, doc_.height());
  view_ = {(doc_.width() - w) / 2, (doc_.height() - h) / 2, w, h};
}

void FilterPreviewSession::scrollBox(int dx, int dy) {
  view_.x = std::clamp(view_.x + dx, 0, doc_.width() - view_.w);
  view_.y = std::clamp(view_.y + dy, 0, doc_.height() - view_.h);
  // The area that comes into view is unfiltered in the working copy: only
  // the last preview's area differs from the layer.
}

void FilterPreviewSession::restore() {
  cancelPreview();
  Layer* layer = doc_.currentLayer();
  if (mode_ != FilterPreview::Canvas || !layer || !copy_.valid()) return;
  layer->image().blit(target_.x, target_.y, target_.w, target_.h, copy_, target_.x, target_.y);
  if (canvasChanged) canvasChanged(target_);
}

Rect filterTarget(const Application& app) { return app.document.canvasRect(); }

FilterContext filterContext(Application& app) {
  FilterContext c;
  const DrawSettings& draw = app.painting.draw;
  c.foreground = draw.drawCol1 & 0xFFFFFFu;
  c.background = draw.drawCol2 & 0xFFFFFFu;
  c.layers = &app.document.layers();
  c.currentLayer = app.document.currentIndex();
  c.random = &app.painting.engine.random();
  c.brushAlpha = uint8_t(std::clamp(app.painting.tools.alphaOf(draw.toolNo), 0, 255));
  return c;
}

std::array<uint32_t, 256> lumaHistogram(const Image32& image, const Rect& rect) {
  std::array<uint32_t, 256> counts{};
  Rect r = rect.intersected(image.bounds());
  for (int y = r.y; y < r.y + r.h; ++y) {
    const Pixel* row = image.row(y);
    for (int x = r.x; x < r.x + r.w; ++x) {
      Pixel p = row[x];
      if ((p >> 24) == 0) continue;
      int luma = (77 * int((p >> 16) & 0xFF) + 150 * int((p >> 8) & 0xFF) + 29 * int(p & 0xFF)) >> 8;
      ++counts[size_t(luma)];
    }
  }
  return counts;
}

void clampLevels(FilterValues& v) {
  int32_t* s = v.slider;
  s[0] = std::clamp(s[0], 0, 253);
  s[2] = std::clamp(s[2], s[0] + 2, 255);
  s[1] = std::clamp(s[1], s[0] + 1, s[2] - 1);
  s[3] = std::clamp(s[3], 0, 255);
  s[4] = std::clamp(s[4], 0, 255);
}

bool filterCommandEnabled(const Application& app, int id) {
  return filterByCommand(id) != nullptr && app.document.currentLayer() != nullptr;
}

bool applyFilterCommand(Application& app, Shell& shell, const FilterEntry& entry,
                        const FilterValues& values) {
  Document& doc = app.document;
  Rect rect = filterTarget(app);
  FilterContext context = filterContext(app);
  bool ok = false;
  if (entry.progress) {
    ok = shell.runWithProgress([&](Progress& p) {
      return applyFilter(doc, entry, values, context, rect, &p) ? 1 : 0;
    }) == 1;
  } else {
    ok = applyFilter(doc, entry, values, context, rect, nullptr);
  }
  shell.refreshCanvas(entry.wholeLayer ? doc.canvasRect() : rect);
  app.layerPixelsChanged();
  shell.setTitle(app.title());
  return ok;
}

bool runFilterCommand(Application& app, Shell& shell, int id) {
  const FilterEntry* entry = filterByCommand(id);
  if (!entry) return false;
  if (!filterCommandEnabled(app, id)) return true;   // handled: nothing to filter
  FilterValues values;
  bool asked = true;
  switch (entry->dialog) {
    case FilterDialog::Template: asked = askTemplateValues(app, shell, *entry, values); break;
    case FilterDialog::Own: asked = askOwnValues(app, shell, *entry, values); break;
    case FilterDialog::None: break;
  }
  if (asked) applyFilterCommand(app, shell, *entry, values);
  return true;
}

}  // namespace tessel
