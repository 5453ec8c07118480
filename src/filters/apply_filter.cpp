#include "filters/apply_filter.h"

#include "document/document.h"
#include "filters/filter_functions.h"

namespace tessel {

FilterFunction filterFunctionOf(const FilterEntry& entry) {
  if (entry.command >= kFirstFilterCommand &&
      entry.command < kFirstFilterCommand + kFilterCommandCount)
    return filterFunction(entry.index());
  return filterFunctionForCommand(entry.command);
}

bool applyFilter(Document& doc, const FilterEntry& entry, const FilterValues& values,
                 FilterContext context, const Rect& rect, Progress* progress) {
  FilterFunction function = filterFunctionOf(entry);
  Layer* layer = doc.currentLayer();
  if (!function || !layer) return false;
  Rect area = entry.wholeLayer ? doc.canvasRect() : rect.intersected(doc.canvasRect());
  if (area.empty()) return false;

  Image32 source;
  if (!source.create(doc.width(), doc.height())) return false;
  source.copyFrom(layer->image);
  context.layers = &doc.layers();
  context.currentLayer = doc.currentIndex();

  doc.recorder().recordPixelRect(area);
  if (function(values, context, layer->image, source, area, progress)) return true;
  layer->image.blit(area.x, area.y, area.w, area.h, source, area.x, area.y);
  return false;
}

}  // namespace tessel
