#pragma once
#include <string>

namespace tessel {

class Document;
struct DocumentSummary;

// One JSON object: width, height, current, nameCounter and the layers from
// the top, each with name (UTF-8), blend, opacity, mask, visible, fillReference.
std::string documentInfoJson(const Document& document);
// The same from a native document's headers.
std::string documentInfoJson(const DocumentSummary& summary);

}  // namespace tessel
