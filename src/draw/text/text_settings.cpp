#include "draw/text/text_settings.h"

#include <algorithm>
#include <cstdint>

namespace tessel {

int TextSettings::pixelSize(int dpi) const {
  // MulDiv(size, dpi, 72): the exact product, rounded half away from zero.
  int64_t points = std::max(size, 1);
  int64_t product = points * std::max(dpi, 1);
  return int((product + 36) / 72);
}

TextSettings TextSettings::from(const Settings& s) {
  TextSettings t;
  t.face = s.fontName.substr(0, kFaceNameBytes);
  t.charSet = s.charSet == 2 ? 2 : 1;
  t.size = std::clamp(s.fontSize, 0, 1000);
  t.charSpace = std::clamp(s.charSpace, -500, 1000);
  t.lineSpace = std::clamp(s.lineSpace, -500, 1000);
  t.flags = uint32_t(s.textFlag);
  return t;
}

void TextSettings::storeInto(Settings& s) const {
  s.fontName = face.substr(0, kFaceNameBytes);
  s.charSet = charSet;
  s.fontSize = size;
  s.charSpace = charSpace;
  s.lineSpace = lineSpace;
  s.textFlag = int32_t(flags);
}

}  // namespace tessel
