#include "formats/psd_colour.h"
#include "resources/language.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

namespace tessel {

namespace {

constexpr size_t kConvertChunk = 1024;

int channelsOf(int mode) {
  switch (mode) {
    case kPsdRgb:
    case kPsdLab: return 3;
    case kPsdCmyk: return 4;
    default: return 1;
  }
}

std::string refusalFor(const char* what) {
  char text[160];
  std::snprintf(text, sizeof text, text::tr("PSD: 无法打开%s"), what);
  return text;
}

}  // namespace

const char* psdColourModeName(int mode) {
  switch (mode) {
    case kPsdBitmap: return text::tr("位图");
    case kPsdGreyscale: return text::tr("灰度");
    case kPsdIndexed: return text::tr("索引颜色");
    case kPsdRgb: return text::tr("RGB颜色");
    case kPsdCmyk: return text::tr("CMYK颜色");
    case kPsdMultichannel: return text::tr("多通道");
    case kPsdDuotone: return text::tr("双色调");
    case kPsdLab: return text::tr("Lab颜色");
    default: return text::tr("未知颜色");
  }
}

namespace {

// Making a transform costs far more than converting a small picture, and files
// mostly share a profile (Lab always does): the last one is kept for the next read.
// profileUnusable tells a CMYK profile that is missing or not CMYK from a failed transform.
std::shared_ptr<void> makeTransform(int mode, const std::vector<uint8_t>& iccProfile, bool& profileUnusable) {
  profileUnusable = false;
  static std::mutex mutex;
  static int lastMode = -1;
  static std::vector<uint8_t> lastProfile;
  static std::shared_ptr<void> last;
  const std::lock_guard<std::mutex> lock(mutex);
  if (last && mode == lastMode && (mode == kPsdLab || iccProfile == lastProfile)) return last;
  cmsHPROFILE source = nullptr;
  if (mode != kPsdCmyk)
    source = cmsCreateLab4Profile(nullptr);
  else if (!iccProfile.empty())
    source = cmsOpenProfileFromMem(iccProfile.data(), cmsUInt32Number(iccProfile.size()));
  if (mode == kPsdCmyk && (!source || cmsGetColorSpace(source) != cmsSigCmykData)) {
    if (source) cmsCloseProfile(source);
    profileUnusable = true;
    return nullptr;
  }
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  // Photoshop stores CMYK as 255 - ink; the _REV flavour reads it so.
  const cmsUInt32Number in = mode == kPsdCmyk ? TYPE_CMYK_8_REV : TYPE_Lab_8;
  cmsHTRANSFORM made = nullptr;
  if (source && srgb) made = cmsCreateTransform(source, in, srgb, TYPE_BGR_8, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
  if (source) cmsCloseProfile(source);
  if (srgb) cmsCloseProfile(srgb);
  if (!made) return nullptr;
  try {
    std::shared_ptr<void> t(made, [](void* p) { cmsDeleteTransform(cmsHTRANSFORM(p)); });
    lastProfile = mode == kPsdCmyk ? iccProfile : std::vector<uint8_t>();
    lastMode = mode;
    last = t;
    return t;
  } catch (const std::bad_alloc&) {
    lastMode = -1;
    last.reset();
    return nullptr;
  }
}

}  // namespace

bool PsdColour::init(int mode, int depth, const std::vector<uint8_t>& modeData,
                     const std::vector<uint8_t>& iccProfile, std::string& refusal) {
  char what[128];
  const bool depthOk = mode == kPsdBitmap ? depth == 1 : (depth == 8 || depth == 16 || depth == 32);
  if (!depthOk) {
    std::snprintf(what, sizeof what, text::tr("%d位/通道的%s模式"), depth, psdColourModeName(mode));
    refusal = refusalFor(what);
    return false;
  }
  mode_ = mode;
  channels_ = channelsOf(mode);
  switch (mode) {
    case kPsdBitmap:
    case kPsdGreyscale:
    case kPsdDuotone:
    case kPsdRgb: return true;
    case kPsdIndexed:
      // A missing colour table leaves every index black.
      if (!modeData.empty()) std::memcpy(palette_, modeData.data(), std::min(modeData.size(), sizeof palette_));
      return true;
    case kPsdCmyk:
    case kPsdLab: break;
    default:
      std::snprintf(what, sizeof what, text::tr("%s模式"), psdColourModeName(mode));
      refusal = refusalFor(what);
      return false;
  }
  bool profileUnusable = false;
  transform_ = makeTransform(mode, iccProfile, profileUnusable);
  if (profileUnusable) {
    std::snprintf(what, sizeof what, text::tr("%s模式（文件没有可用的颜色配置文件）"), psdColourModeName(mode));
    refusal = refusalFor(what);
    return false;
  }
  if (!transform_) {
    std::snprintf(what, sizeof what, text::tr("%s模式（颜色转换失败）"), psdColourModeName(mode));
    refusal = refusalFor(what);
    return false;
  }
  return true;
}

void PsdColour::convert(const uint8_t* const* planes, size_t n, Pixel* out) const {
  uint8_t* o = reinterpret_cast<uint8_t*>(out);
  switch (mode_) {
    case kPsdRgb:
      for (size_t i = 0; i < n; ++i) o[4 * i] = planes[2][i], o[4 * i + 1] = planes[1][i], o[4 * i + 2] = planes[0][i];
      return;
    case kPsdIndexed:
      for (size_t i = 0; i < n; ++i) {
        const uint8_t k = planes[0][i];
        o[4 * i] = palette_[512 + k], o[4 * i + 1] = palette_[256 + k], o[4 * i + 2] = palette_[k];
      }
      return;
    case kPsdCmyk:
    case kPsdLab: {
      uint8_t in[kConvertChunk * 4], rgb[kConvertChunk * 3];
      for (size_t start = 0; start < n; start += kConvertChunk) {
        const size_t m = std::min(kConvertChunk, n - start);
        for (size_t i = 0; i < m; ++i)
          for (int c = 0; c < channels_; ++c) in[i * size_t(channels_) + size_t(c)] = planes[c][start + i];
        cmsDoTransform(cmsHTRANSFORM(transform_.get()), in, rgb, cmsUInt32Number(m));
        for (size_t i = 0; i < m; ++i) std::memcpy(o + 4 * (start + i), rgb + 3 * i, 3);
      }
      return;
    }
    default:
      for (size_t i = 0; i < n; ++i) o[4 * i] = o[4 * i + 1] = o[4 * i + 2] = planes[0][i];
  }
}

}  // namespace tessel
