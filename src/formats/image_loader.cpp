#include "formats/image_loader.h"

#include "io/file.h"
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

}  // namespace tessel
