#pragma once
#include <cstdint>
#include <string>

#include "formats/image_read_info.h"
#include "image/image32.h"
#include "image/size_limits.h"

namespace tessel {

// The picture of a file through the format table's row for the text after the
// last "." (without case): the image itself, the preview of a native file,
// the merged image of a PSD or OpenRaster file, the composite of a vrw.
// Anything else fails. info is cleared first; only the PNG reader sets hadAlpha.
bool loadImage(const std::string& path, Image32& image, ImageReadInfo& info);

// The file as a thumbnail that fits side x side (ThumbnailSink), through the
// row's thumbnail reader where it has one (BMP and PSD rows where they lie,
// PNG rows as they stream, JPEG scaled down in the decoder, the OpenRaster
// thumbnail), else its picture shrunk.
bool loadThumbnailImage(const std::string& path, int side, Image32& thumb);

}  // namespace tessel
