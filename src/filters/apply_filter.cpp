#include "filters/apply_filter.h"

#include "document/document.h"
#include "document/pixel_edit.h"
#include "filters/filter_functions.h"

namespace tessel {

FilterFunction filterFunctionOf(const FilterEntry& entry) {
  return entry.function ? entry.function : filterFunction(entry.index());
}

bool applyFilter(Document& doc, const FilterEntry& entry, const FilterValues& values,
                 FilterContext context, const Rect& rect, Progress* progress) {
  FilterFunction function = filterFunctionOf(entry);
  Layer* layer = doc.currentLayer();
  if (!function || !layer) return false;
  Rect area = entry.wholeLayer ? doc.canvasRect() : rect.intersected(doc.canvasRect());
  if (area.empty()) return false;

  // The filter reads the layer as it was; the same copy is the undo backup.
  Image32 source;
  if (!source.create(doc.width(), doc.height())) return false;
  source.copyFrom(layer->image());
  context.layers = &doc.layers();
  context.currentLayer = doc.currentIndex();

  PixelEdit edit(doc, source);
  edit.extend(area);
  if (function(values, context, layer->image(), source, area, progress)) {
    // OK always leaves its step, even when the filter changed nothing.
    edit.commit(PixelEdit::Unchanged::Record);
    return true;
  }
  edit.cancel();
  return false;
}

}  // namespace tessel
