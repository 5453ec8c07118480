#pragma once
#include <string>
#include <vector>

#include "image/image32.h"

namespace tessel {

// The image files of a folder the viewer lists (bmp, png, jpg, jpeg, gif,
// tsd, psd, vrw; any case), sorted by name; plain file names.
std::vector<std::string> listViewerFiles(const std::string& folder);

// A picture of the file that fits side x side (never enlarged): the tsd
// preview, the psd composite, a vrw's flattened layers or the image itself.
// Safe on a worker thread; false for a file that does not read.
bool loadThumbnail(const std::string& path, int side, Image32& out);

// Fits image into side x side by averaging the source pixels each
// thumbnail pixel covers, over white where the image is transparent.
bool shrinkToFit(const Image32& image, int side, Image32& out);

}  // namespace tessel
