#include "formats/image_loader.h"

#include <cstring>
#include <memory>
#include <new>

#include "formats/bmp_codec.h"
#include "formats/file.h"
#include "formats/native_document.h"
#include "formats/png_codec.h"
#include "formats/psd_document.h"
#include "formats/sibling_document.h"
#include "formats/thumbnail_sink.h"
#include "platform/image_decoders.h"

namespace tessel {

namespace {

// The whole file in memory for the library decoders.
bool readWholeFile(const std::string& path, std::unique_ptr<uint8_t[]>& data, size_t& size) {
  File file;
  if (!file.openRead(path)) return false;
  const int64_t length = file.size();
  // No JPEG or GIF of at most 4500 x 4500 pixels needs more than this.
  if (length <= 0 || length > (int64_t(1) << 30)) return false;
  data.reset(new (std::nothrow) uint8_t[size_t(length)]);
  size = size_t(length);
  return data && file.readAll(data.get(), size);
}

// reducedTo > 0: a JPEG scaled down in the decoder to no less than that.
bool loadDecoded(const std::string& path, bool gif, Image32& image, ImageReadInfo& info, int reducedTo = 0) {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  if (!readWholeFile(path, data, size)) return false;
  DecodedImage decoded;
  const DecodeStatus status = gif ? decodeGif(data.get(), size, kMaxReadSide, decoded)
                              : reducedTo > 0 ? decodeJpegReduced(data.get(), size, kMaxReadSide, reducedTo, decoded)
                                              : decodeJpeg(data.get(), size, kMaxReadSide, decoded);
  if (status == DecodeStatus::kTooLarge) info.tooLarge = true;
  if (status != DecodeStatus::kOk || !image.create(decoded.width, decoded.height)) return false;
  for (int y = 0; y < decoded.height; ++y)
    std::memcpy(image.row(y), decoded.pixels.get() + size_t(y) * size_t(decoded.width),
                size_t(decoded.width) * sizeof(Pixel));
  return true;
}

}  // namespace

bool loadImage(const std::string& path, Image32& image, ImageReadInfo& info) {
  info = {};
  const std::string ext = fileExtension(path);
  if (equalsIgnoreCase(ext, "bmp")) return readBmp(path, image, info);
  if (equalsIgnoreCase(ext, "png")) return readPng(path, image, info);
  if (equalsIgnoreCase(ext, "jpg") || equalsIgnoreCase(ext, "jpeg")) return loadDecoded(path, false, image, info);
  if (equalsIgnoreCase(ext, "gif")) return loadDecoded(path, true, image, info);
  if (equalsIgnoreCase(ext, "tsd")) return readPreview(path, image);
  if (equalsIgnoreCase(ext, "psd")) return readPsdComposite(path, image);
  if (equalsIgnoreCase(ext, "vrw")) return readSiblingComposite(path, image);
  return false;
}

bool loadThumbnailImage(const std::string& path, int side, Image32& thumb) {
  const std::string ext = fileExtension(path);
  if (equalsIgnoreCase(ext, "bmp")) return readBmpThumbnail(path, side, thumb);
  if (equalsIgnoreCase(ext, "png")) return readPngThumbnail(path, side, thumb);
  if (equalsIgnoreCase(ext, "psd")) return readPsdThumbnail(path, side, thumb);
  Image32 image;
  ImageReadInfo info;
  // Four samples a side for each thumbnail pixel stay distinct pixels.
  const bool jpeg = equalsIgnoreCase(ext, "jpg") || equalsIgnoreCase(ext, "jpeg");
  if (!(jpeg ? loadDecoded(path, false, image, info, side * 4) : loadImage(path, image, info))) return false;
  return ThumbnailSink::shrink(image, side, thumb);
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
