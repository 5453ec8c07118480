#include "app/document_info.h"

#include <cstdio>

#include "document/document.h"

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

}  // namespace

std::string documentInfoJson(const Document& document) {
  std::string out = "{\"width\":" + std::to_string(document.width()) +
                    ",\"height\":" + std::to_string(document.height()) +
                    ",\"current\":" + std::to_string(document.currentIndex()) +
                    ",\"nameCounter\":" + std::to_string(document.layers().nameCounter()) + ",\"layers\":[";
  for (int i = 0; i < document.layerCount(); ++i) {
    const Layer& layer = *document.layers().atIndex(i);
    out += i ? ",{\"name\":" : "{\"name\":";
    appendJsonString(out, layerNameToUtf8(layer.name));
    out += ",\"blend\":" + std::to_string(layer.blendMode) + ",\"opacity\":" + std::to_string(layer.opacity) +
           ",\"mask\":" + std::to_string(layer.maskMode) +
           ",\"visible\":" + (layer.visible() ? "true" : "false") +
           ",\"fillReference\":" + (layer.fillReference() ? "true" : "false") + "}";
  }
  return out + "]}";
}

}  // namespace tessel
