#include "app/models/texture_model.h"

#include <utility>

namespace tessel {

std::vector<Texture> brushTexturesOf(const TextureLibrary& library) {
  std::vector<Texture> out(size_t(library.count()));
  for (int i = 0; i < library.count(); ++i) {
    TextureLibrary::Texture t = library.at(i);
    Texture& b = out[size_t(i)];
    b.width = uint16_t(t.width);
    b.height = uint16_t(t.height);
    if (t.pixels) b.bytes.assign(t.pixels, t.pixels + size_t(t.width) * size_t(t.height));
  }
  return out;
}

bool replaceTextureLibrary(TextureLibrary& library, const std::string& path) {
  TextureLibrary loaded;
  if (!loaded.load(path, true)) return false;
  library = std::move(loaded);
  return true;
}

int textureThumbSide(int viewSize) {
  static const int kSides[kTextureViewSizes] = {24, 40, 64};
  return viewSize >= 0 && viewSize < kTextureViewSizes ? kSides[viewSize] : kSides[1];
}

}  // namespace tessel
