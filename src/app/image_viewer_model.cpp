#include "app/image_viewer_model.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "formats/image_loader.h"
#include "formats/native_document.h"
#include "formats/psd_document.h"
#include "formats/sibling_document.h"

namespace tessel {

namespace {

std::string lowerExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool viewerExtension(const std::string& ext) {
  static const char* const kExts[] = {"bmp", "png", "jpg", "jpeg", "gif", "tsd", "psd", "vrw"};
  return std::any_of(std::begin(kExts), std::end(kExts), [&](const char* e) { return ext == e; });
}

bool readPicture(const std::string& path, Image32& image) {
  const std::string ext = lowerExtension(path);
  if (ext == "tsd") return readPreview(path, image);
  if (ext == "psd") return readPsdComposite(path, image);
  if (ext == "vrw") return readSiblingComposite(path, image);
  ImageReadInfo info;
  return loadImage(path, image, info);
}

}  // namespace

std::vector<std::string> listViewerFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    std::string name = it->path().filename().string();
    if (viewerExtension(lowerExtension(name))) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool shrinkToFit(const Image32& image, int side, Image32& out) {
  const int iw = image.width(), ih = image.height();
  if (iw < 1 || ih < 1 || side < 1) return false;
  int w = iw, h = ih;
  if (w > side || h > side) {
    if (iw >= ih) {
      w = side;
      h = std::max(1, int(int64_t(ih) * side / iw));
    } else {
      h = side;
      w = std::max(1, int(int64_t(iw) * side / ih));
    }
  }
  if (!out.create(w, h)) return false;
  for (int y = 0; y < h; ++y) {
    const int y0 = int(int64_t(y) * ih / h), y1 = std::max(y0 + 1, int(int64_t(y + 1) * ih / h));
    Pixel* dst = out.row(y);
    for (int x = 0; x < w; ++x) {
      const int x0 = int(int64_t(x) * iw / w), x1 = std::max(x0 + 1, int(int64_t(x + 1) * iw / w));
      uint64_t r = 0, g = 0, b = 0;
      // At most a few source pixels per side: a stride keeps big images cheap.
      const int stepY = std::max(1, (y1 - y0) / 4), stepX = std::max(1, (x1 - x0) / 4);
      uint64_t n = 0;
      for (int sy = y0; sy < y1; sy += stepY) {
        const Pixel* src = image.row(sy);
        for (int sx = x0; sx < x1; sx += stepX) {
          const Pixel p = src[sx];
          const uint32_t a = p >> 24;
          // Over white.
          r += (((p >> 16) & 0xFF) * a + 255 * (255 - a)) / 255;
          g += (((p >> 8) & 0xFF) * a + 255 * (255 - a)) / 255;
          b += ((p & 0xFF) * a + 255 * (255 - a)) / 255;
          ++n;
        }
      }
      dst[x] = 0xFF000000u | uint32_t(r / n) << 16 | uint32_t(g / n) << 8 | uint32_t(b / n);
    }
  }
  return true;
}

bool loadThumbnail(const std::string& path, int side, Image32& out) {
  Image32 picture;
  return readPicture(path, picture) && shrinkToFit(picture, side, out);
}

}  // namespace tessel
