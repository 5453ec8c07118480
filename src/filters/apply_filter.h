#pragma once
#include "filters/filter_table.h"
#include "filters/filter_types.h"

namespace tessel {

class Document;

// The filter function behind a command, or null.
FilterFunction filterFunctionOf(const FilterEntry& entry);

// Runs one filter command on the current layer: the rectangle (cut to the
// canvas; the whole canvas for commands that work on the whole layer) is
// filtered from a copy of the layer into the layer and recorded for undo when
// a pixel changed. A filter that fails leaves the layer as it was. The context's layer
// stack and current layer are filled in from the document.
bool applyFilter(Document& doc, const FilterEntry& entry, const FilterValues& values,
                 FilterContext context, const Rect& rect, Progress* progress);

}  // namespace tessel
