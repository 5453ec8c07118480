#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "io/file.h"
#include "formats/psd_colour.h"
#include "image/image32.h"

namespace tessel {

// What the layer and composite readers share: the header with the colour
// mode data and the embedded ICC profile, and the merged image.
struct PsdHeader {
  uint16_t channels = 0, depth = 8, mode = kPsdRgb;
  uint32_t height = 0, width = 0;
  std::vector<uint8_t> modeData, iccProfile;
};

inline int64_t psdRemaining(const File& file) { return file.size() - file.position(); }

// Skips a section whose 32-bit length the file must hold.
bool skipPsdSection(File& file);
// Signature and version (else kReadPsdLayout), sizes, depth and mode, the
// colour mode data and the image resources (keeping the ICC profile). The
// file is left at the layer and mask section.
int readPsdHeader(File& file, PsdHeader& h);
// The merged image from the file's position (its compression word) as
// opaque pixels: a channel after the colour channels is taken as alpha and
// laid over white when withAlpha is set.
bool readPsdMergedImage(File& file, const PsdHeader& h, const PsdColour& colour, bool withAlpha, Image32& image);

}  // namespace tessel
