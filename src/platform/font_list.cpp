#include "platform/font_list.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <strings.h>

namespace tessel {

namespace {

struct PatternFree {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct ObjectSetFree {
  void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
struct FontSetFree {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
using Pattern = std::unique_ptr<FcPattern, PatternFree>;

const char* stringOf(FcPattern* p, const char* object, int n = 0) {
  FcChar8* s = nullptr;
  return FcPatternGetString(p, object, n, &s) == FcResultMatch ? reinterpret_cast<const char*>(s)
                                                               : nullptr;
}

// True when any of the pattern's family names is family.
bool hasFamily(FcPattern* p, const std::string& family) {
  for (int n = 0;; ++n) {
    const char* name = stringOf(p, FC_FAMILY, n);
    if (!name) return false;
    if (strcasecmp(name, family.c_str()) == 0) return true;
  }
}

}  // namespace

std::vector<FontFamily> fontFamilies() {
  std::vector<FontFamily> out;
  if (!FcInit()) return out;
  Pattern all(FcPatternCreate());
  std::unique_ptr<FcObjectSet, ObjectSetFree> objects(
      FcObjectSetBuild(FC_FAMILY, FC_SYMBOL, FC_SCALABLE, nullptr));
  if (!all || !objects) return out;
  std::unique_ptr<FcFontSet, FontSetFree> set(FcFontList(nullptr, all.get(), objects.get()));
  if (!set) return out;
  for (int i = 0; i < set->nfont; ++i) {
    FcPattern* p = set->fonts[i];
    FcBool scalable = FcTrue, symbol = FcFalse;
    FcPatternGetBool(p, FC_SCALABLE, 0, &scalable);
    if (!scalable) continue;   // bitmap fonts do not scale to the chosen size
    const char* name = stringOf(p, FC_FAMILY);
    if (!name) continue;
    FcPatternGetBool(p, FC_SYMBOL, 0, &symbol);
    out.push_back({name, symbol ? 2 : 1});
  }
  std::sort(out.begin(), out.end(),
            [](const FontFamily& a, const FontFamily& b) { return a.name < b.name; });
  out.erase(std::unique(out.begin(), out.end(),
                        [](const FontFamily& a, const FontFamily& b) { return a.name == b.name; }),
            out.end());
  return out;
}

bool findFont(const std::string& family, bool bold, bool italic, FontFile& out) {
  if (!FcInit()) return false;
  Pattern want(FcPatternCreate());
  if (!want) return false;
  auto text = [](const std::string& s) { return reinterpret_cast<const FcChar8*>(s.c_str()); };
  FcPatternAddString(want.get(), FC_FAMILY, text(family));
  // A missing family falls to a face that covers Simplified Chinese.
  FcPatternAddString(want.get(), FC_LANG, text("zh-cn"));
  FcPatternAddInteger(want.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(want.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(want.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, want.get(), FcMatchPattern);
  FcDefaultSubstitute(want.get());
  FcResult result = FcResultNoMatch;
  Pattern found(FcFontMatch(nullptr, want.get(), &result));
  if (!found) return false;
  const char* path = stringOf(found.get(), FC_FILE);
  const char* used = stringOf(found.get(), FC_FAMILY);
  if (!path || !used) return false;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(found.get(), FC_INDEX, 0, &index);
  FcPatternGetInteger(found.get(), FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(found.get(), FC_SLANT, 0, &slant);
  out.path = path;
  out.index = index;
  out.substituted = !hasFamily(found.get(), family);
  out.family = out.substituted ? used : family;
  // fontconfig reports the asked style and marks what it would synthesise.
  FcBool embolden = FcFalse;
  FcMatrix* shear = nullptr;
  FcPatternGetBool(found.get(), FC_EMBOLDEN, 0, &embolden);
  bool slanted = FcPatternGetMatrix(found.get(), FC_MATRIX, 0, &shear) == FcResultMatch &&
                 shear && shear->xy != 0;
  out.bold = weight >= FC_WEIGHT_DEMIBOLD && !embolden;
  out.italic = slant != FC_SLANT_ROMAN && !slanted;
  return true;
}

void releaseFontConfig() { FcFini(); }

}  // namespace tessel
