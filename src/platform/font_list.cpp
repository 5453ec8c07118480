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

// True when the pattern's languages take in Chinese, Japanese or Korean.
bool writesCjk(FcPattern* p) {
  FcLangSet* langs = nullptr;
  if (FcPatternGetLangSet(p, FC_LANG, 0, &langs) != FcResultMatch || !langs) return false;
  for (const char* lang : {"zh-cn", "zh-tw", "ja", "ko"})
    if (FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>(lang)) == FcLangEqual) return true;
  return false;
}

// The Windows Song faces, which a Song face of this system stands in for.
bool isSongFace(const std::string& family) {
  for (const char* name : {"NSimSun", "SimSun", "新宋体", "宋体"})
    if (strcasecmp(family.c_str(), name) == 0) return true;
  return false;
}

}  // namespace

std::vector<FontFamily> fontFamilies() {
  std::vector<FontFamily> out;
  if (!FcInit()) return out;
  Pattern all(FcPatternCreate());
  std::unique_ptr<FcObjectSet, ObjectSetFree> objects(
      FcObjectSetBuild(FC_FAMILY, FC_SYMBOL, FC_SCALABLE, FC_LANG, nullptr));
  if (!all || !objects) return out;
  std::unique_ptr<FcFontSet, FontSetFree> set(FcFontList(nullptr, all.get(), objects.get()));
  if (!set) return out;
  std::vector<std::string> cjk;
  for (int i = 0; i < set->nfont; ++i) {
    FcPattern* p = set->fonts[i];
    FcBool scalable = FcTrue, symbol = FcFalse;
    FcPatternGetBool(p, FC_SCALABLE, 0, &scalable);
    if (!scalable) continue;   // bitmap fonts do not scale to the chosen size
    const char* name = stringOf(p, FC_FAMILY);
    if (!name) continue;
    FcPatternGetBool(p, FC_SYMBOL, 0, &symbol);
    out.push_back({name, symbol ? 2 : 1});
    if (writesCjk(p)) cjk.push_back(name);
  }
  std::sort(out.begin(), out.end(),
            [](const FontFamily& a, const FontFamily& b) { return a.name < b.name; });
  out.erase(std::unique(out.begin(), out.end(),
                        [](const FontFamily& a, const FontFamily& b) { return a.name == b.name; }),
            out.end());
  std::vector<FontFamily> withTwins;
  for (const FontFamily& f : out) {
    withTwins.push_back(f);
    if (std::find(cjk.begin(), cjk.end(), f.name) != cjk.end())
      withTwins.push_back({"@" + f.name, f.charSet});
  }
  return withTwins;
}

// True when some installed face has exactly this family name.
static bool installed(const std::string& family) {
  Pattern want(FcPatternCreate());
  std::unique_ptr<FcObjectSet, ObjectSetFree> objects(FcObjectSetBuild(FC_FAMILY, nullptr));
  if (!want || !objects) return false;
  FcPatternAddString(want.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  std::unique_ptr<FcFontSet, FontSetFree> set(FcFontList(nullptr, want.get(), objects.get()));
  return set && set->nfont > 0;
}

bool findFont(const std::string& family, bool bold, bool italic, FontFile& out) {
  if (!FcInit()) return false;
  Pattern want(FcPatternCreate());
  if (!want) return false;
  auto text = [](const std::string& s) { return reinterpret_cast<const FcChar8*>(s.c_str()); };
  FcPatternAddString(want.get(), FC_FAMILY, text(family));
  // fontconfig would take a missing Song face for monospace or sans.
  if (isSongFace(family) && !installed(family)) {
    FcPatternDel(want.get(), FC_FAMILY);
    FcPatternAddString(want.get(), FC_FAMILY, text("serif"));
  }
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
