#include "formats/image_loader.h"

#include <cstring>

#include "formats/file.h"
#include "formats/format_table.h"
#include "formats/thumbnail_sink.h"

namespace tessel {

bool loadImage(const std::string& path, Image32& image, ImageReadInfo& info) {
  info = {};
  const FileFormat* format = builtinFormats().find(fileExtension(path));
  return format && format->read && format->read(path, image, info);
}

bool loadThumbnailImage(const std::string& path, int side, Image32& thumb) {
  const FileFormat* format = builtinFormats().find(fileExtension(path));
  if (!format) return false;
  if (format->readThumbnail) return format->readThumbnail(path, side, thumb);
  Image32 image;
  ImageReadInfo info;
  return format->read && format->read(path, image, info) && ThumbnailSink::shrink(image, side, thumb);
}

bool collectPalette(const Image32& image, std::vector<uint32_t>& palette) {
  palette.clear();
  image.collectColours(palette, 257);
  if (palette.size() > 256) {
    palette.clear();
    return false;
  }
  for (uint32_t& c : palette) c &= 0x00FFFFFFu;
  return true;
}

ColourIndex::ColourIndex(const std::vector<uint32_t>& palette) {
  std::memset(keys_, 0xFF, sizeof keys_);
  std::memset(values_, 0, sizeof values_);
  for (size_t i = 0; i < palette.size() && i < 256; ++i) {
    const uint32_t key = palette[i] & 0x00FFFFFFu;
    size_t slot = (key * 2654435761u) >> 22;
    while (keys_[slot] != 0xFFFFFFFFu && keys_[slot] != key) slot = (slot + 1) & (kSlots - 1);
    if (keys_[slot] == key) continue;   // the first equal entry wins
    keys_[slot] = key;
    values_[slot] = uint8_t(i);
  }
}

uint8_t ColourIndex::operator()(uint32_t colour) const {
  const uint32_t key = colour & 0x00FFFFFFu;
  size_t slot = (key * 2654435761u) >> 22;
  while (keys_[slot] != 0xFFFFFFFFu) {
    if (keys_[slot] == key) return values_[slot];
    slot = (slot + 1) & (kSlots - 1);
  }
  return 0;
}

}  // namespace tessel
