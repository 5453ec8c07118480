#pragma once
#include <cstdint>
#include <string>

#include "image/image32.h"
#include "image/progress.h"

namespace tessel {

class Document;

// Blend mode (0-20) to its four-character PSD key; modes PSD lacks are "norm".
const char* psdKeyFromBlendMode(int mode);
// PSD key (four bytes) to blend mode; unknown keys are Normal.
uint8_t blendModeFromPsdKey(const char key[4]);
// Layer opacity 0-128 to PSD's 0-255 and back.
uint8_t psdOpacityFromLayer(uint8_t opacity);
uint8_t layerOpacityFromPsd(uint8_t opacity);

// Reads the layers of an 8-bit RGB PSD into the document. Returns a ReadResult:
// 0, 1 (canvas over 4500), -1 (cannot open, out of memory), -2 (layout not
// supported or lengths that the file cannot hold), -3 (not 8-bit RGB). Codes
// found in the header leave the document untouched; later failures leave the
// layers read so far, and a document left without layers becomes a blank
// 400 x 400 image with one layer. A file without layer records opens as one
// layer holding its merged image.
int readPsdLayers(const std::string& path, Document& document, Progress* progress);
// The merged image only, as opaque pixels (a fourth channel is laid over white).
bool readPsdComposite(const std::string& path, Image32& image);
// The merged image shrunk as ThumbnailSink does, reading only the rows it
// samples (each packed row from its place in the row byte counts).
bool readPsdThumbnail(const std::string& path, int side, Image32& thumb);
// Every layer as a full-canvas layer with four RLE channels, plus the
// flattened image. An earlier file of that name survives a failed save.
bool writePsd(const std::string& path, Document& document, Progress* progress);

}  // namespace tessel
