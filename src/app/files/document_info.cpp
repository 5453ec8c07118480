#include "app/files/document_info.h"

#include <cstdio>

#include "document/document.h"
#include "formats/native_document.h"

namespace tessel {

namespace {

void appendJsonString(std::string& out, const std::string& text) {
  out += '"';
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += char(c);
    }
  }
  out += '"';
}

std::string head(int width, int height, int current, int nameCounter) {
  return "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
         ",\"current\":" + std::to_string(current) + ",\"nameCounter\":" + std::to_string(nameCounter) +
         ",\"layers\":[";
}

void appendLayer(std::string& out, bool first, const char* name, int blend, int opacity, int mask, int flags) {
  out += first ? "{\"name\":" : ",{\"name\":";
  appendJsonString(out, layerNameToUtf8(name));
  out += ",\"blend\":" + std::to_string(blend) + ",\"opacity\":" + std::to_string(opacity) +
         ",\"mask\":" + std::to_string(mask) + ",\"visible\":" + ((flags & kLayerVisible) ? "true" : "false") +
         ",\"fillReference\":" + ((flags & kLayerFillReference) ? "true" : "false") + "}";
}

}  // namespace

std::string documentInfoJson(const Document& document) {
  std::string out =
      head(document.width(), document.height(), document.currentIndex(), document.layers().nameCounter());
  for (int i = 0; i < document.layerCount(); ++i) {
    const Layer& l = *document.layers().atIndex(i);
    appendLayer(out, i == 0, l.name, l.blendMode, l.opacity, l.maskMode, l.flags);
  }
  return out + "]}";
}

std::string documentInfoJson(const DocumentSummary& summary) {
  std::string out = head(summary.width, summary.height, summary.current, summary.nameCounter);
  for (size_t i = 0; i < summary.layers.size(); ++i) {
    const LayerSummary& l = summary.layers[i];
    appendLayer(out, i == 0, l.name, l.blendMode, l.opacity, l.maskMode, l.flags);
  }
  return out + "]}";
}

}  // namespace tessel
