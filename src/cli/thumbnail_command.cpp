#include "cli/thumbnail_command.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <cstdio>

#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "cli/commands.h"
#include "document/document.h"
#include "filters/resample.h"
#include "formats/native_document.h"
#include "formats/ora_document.h"
#include "document/compositors.h"
#include "io/file.h"
#include "formats/png_codec.h"
#include "resources/language.h"

namespace tessel {

namespace {

struct ThumbnailSize {
  int width = 0, height = 0;
};

// Fits width x height into a size x size box as the document preview fits
// its 90 x 90 box: never enlarged, the longer side becomes size, no side 0.
ThumbnailSize fitThumbnail(int width, int height, int size) {
  ThumbnailSize s{width, height};
  if (width > size || height > size) {
    int e = width * size / height;
    if (e >= size)
      s = {size, height * size / width};
    else
      s = {e, size};
  }
  s.width = std::max(s.width, 1);
  s.height = std::max(s.height, 1);
  return s;
}

// The picture a file manager shows: the stored preview when the file is a
// native document (whatever its name), the stored thumbnail or merged image
// of an OpenRaster file, else the file opened as Open does and flattened as
// saving it to PNG would.
bool thumbnailPicture(const char* path, int size, Image32& picture, bool& withAlpha) {
  withAlpha = false;
  int width = 0, height = 0;
  std::string extension = fileExtension(path);
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "ora" && readOraPicture(path, size, picture, width, height)) {
    // Opaque on white, as the flattened layers are, and fitted from the
    // canvas's size rather than the stored picture's.
    Image32 white;
    if (!white.create(picture.width(), picture.height())) return false;
    white.fill(kOpaqueWhite);
    compositeOver(white, picture, kFullOpacity);
    picture.swap(white);
    const ThumbnailSize fit = fitThumbnail(width, height, size);
    if (fit.width == picture.width() && fit.height == picture.height()) return true;
    Image32 scaled;
    if (!scaleImage(picture, scaled, fit.width, fit.height, ScaleMethod::Lanczos3)) return false;
    picture.swap(scaled);
    return true;
  }
  if (readPreview(path, picture)) {
    // The fourth byte of preview pixels is unused; the preview is opaque.
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) picture.set(x, y, picture.at(x, y) | 0xFF000000u);
    return true;
  }
  Document document;
  LoadOutcome outcome;
  if (!load(path, document, outcome)) return false;
  withAlpha = outcome.pngAlpha;
  if (document.flatten(picture, nullptr, withAlpha)) return true;
  std::fprintf(stderr, "%s\n", text::tr(kMsgMemoryError));
  return false;
}

}  // namespace

int runThumbnail(int argc, char** argv) {
  if (argc != 5) return usageError("thumbnail takes IN OUT.png SIZE");
  int size = 0;
  if (!parseInt(argv[4], 1, kMaxCanvasSize, size)) return usageError("SIZE is a number of pixels, 1-4500");
  Image32 picture;
  bool withAlpha = false;
  if (!thumbnailPicture(argv[2], size, picture, withAlpha)) return 1;
  const ThumbnailSize fit = fitThumbnail(picture.width(), picture.height(), size);
  if (fit.width != picture.width() || fit.height != picture.height()) {
    Image32 scaled;
    if (!scaleImage(picture, scaled, fit.width, fit.height, ScaleMethod::Lanczos3))
      return fail(text::tr(kMsgMemoryError));
    picture.swap(scaled);
  }
  return writePng(picture, argv[3], 6, withAlpha, -1) ? 0 : fail(text::tr(kMsgSaveFailed));
}

}  // namespace tessel
