#pragma once
#include <cstdint>
#include <string>

#include "image/image32.h"
#include "image/progress.h"

namespace tessel {

class Document;

// Blend mode (0-20) to its four-character PSD key.
const char* psdKeyFromBlendMode(int mode);
// PSD key (four bytes) to blend mode; unknown keys are Normal.
uint8_t blendModeFromPsdKey(const char key[4]);
// Layer opacity 0-128 to PSD's 0-255 and back.
uint8_t psdOpacityFromLayer(uint8_t opacity);
uint8_t layerOpacityFromPsd(uint8_t opacity);

// Reads the layers of a PSD into the document: 8 or 16 bits per channel and
// 32-bit float, RGB, greyscale, duotone, indexed, bitmap, and CMYK and Lab
// through their profiles. Groups, masks, clipping and fill opacity are
// applied. Returns a ReadResult: 0, 1 (canvas over 4500), -1 (cannot open,
// out of memory), -2 (layout not supported or lengths that the file cannot
// hold), -3 (a colour mode or depth that cannot be opened; notice then names
// it). Codes found in the header leave the document untouched; later failures
// leave the layers read so far, and a document left without layers becomes a
// blank 400 x 400 image with one layer. A file without layer records opens as
// one layer holding its merged image. On success notice tells what could not
// be kept (layer effects, adjustment layers, shapes, smart-object sources),
// or is empty.
int readPsdLayers(const std::string& path, Document& document, Progress* progress, std::string* notice = nullptr);
// The merged image only, as opaque pixels (a fourth channel is laid over white).
bool readPsdComposite(const std::string& path, Image32& image);
// The merged image shrunk as ThumbnailSink does, reading only the rows it
// samples (each packed row from its place in the row byte counts).
bool readPsdThumbnail(const std::string& path, int side, Image32& thumb);
// Every layer as a full-canvas layer with four RLE channels and its name
// also as Unicode, plus the flattened image. An earlier file of that name survives a failed save.
bool writePsd(const std::string& path, Document& document, Progress* progress);

}  // namespace tessel
