#include "app/models/image_viewer_model.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "formats/format_table.h"
#include "formats/image_loader.h"
#include "formats/thumbnail_sink.h"

namespace tessel {

namespace {

std::string lowerExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// Every format whose picture the loader reads.
bool viewerExtension(const std::string& ext) {
  const FileFormat* format = builtinFormats().find(ext);
  return !ext.empty() && format && format->read;
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
  return ThumbnailSink::shrink(image, side, out);
}

bool loadThumbnail(const std::string& path, int side, Image32& out) { return loadThumbnailImage(path, side, out); }

}  // namespace tessel
