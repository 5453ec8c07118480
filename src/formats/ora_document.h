#pragma once
#include <string>

#include "formats/image_loader.h"
#include "image/image32.h"
#include "image/progress.h"

namespace tessel {

class Document;

// OpenRaster composite-op for a blend mode (0-20): an svg: name where the
// arithmetic is the W3C one, else the name Krita writes for the same mode.
const char* oraOpFromBlendMode(int mode);
// Any composite-op (svg:, krita: or a tessel mode name) to a blend mode;
// unknown ones are Normal.
int blendModeFromOraOp(const std::string& op);

// Reads stack.xml and the layer PNGs into the document. Returns a ReadResult;
// on any failure the document is left as it was.
int readOra(const std::string& path, Document& document, Progress* progress);
// The same with a smaller limit on the canvas and layer PNG sides (the fuzzer's memory).
int readOra(const std::string& path, Document& document, Progress* progress, int maxSide);
// mergedimage.png as a picture.
bool readOraMerged(const std::string& path, Image32& image, ImageReadInfo& info);
// The least the file must give to show it in side x side, unshrunk: its
// stored thumbnail when that is whole, has the canvas's shape and is large
// enough, else mergedimage.png, else the layers read and flattened. Also
// the canvas size.
bool readOraPicture(const std::string& path, int side, Image32& picture, int& width, int& height);
// That picture fitted into side x side.
bool readOraThumbnail(const std::string& path, int side, Image32& thumb);
// Every layer from the top, cut to its non-transparent bounds, with what
// OpenRaster cannot say in tessel: attributes. An earlier file of that
// name survives a failed save.
bool writeOra(const std::string& path, Document& document, Progress* progress);

}  // namespace tessel
