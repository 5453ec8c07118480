#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "document/layer.h"
#include "io/file.h"

namespace tessel {

enum PsdSection { kPsdSectionNone = 0, kPsdSectionOpen = 1, kPsdSectionClosed = 2, kPsdSectionDivider = 3 };
constexpr uint8_t kPsdMaskDisabled = 0x02;
constexpr uint8_t kPsdMaskInverted = 0x04;

struct PsdChannel {
  int16_t id = 0;
  uint32_t length = 0;
};

struct PsdMask {
  bool present = false;
  int32_t top = 0, left = 0, bottom = 0, right = 0;
  uint8_t defaultColour = 0, flags = 0;
};

// One layer record with what its additional information says.
struct PsdRecord {
  int32_t top = 0, left = 0, bottom = 0, right = 0;
  std::vector<PsdChannel> channels;
  char key[4] = {'n', 'o', 'r', 'm'};
  uint8_t opacity = 255, clipping = 0, flags = 0, fillOpacity = 255;
  PsdMask mask, realMask;   // channel -2, and -3 when a vector mask is there too
  char name[kLayerNameBytes] = {};
  int section = kPsdSectionNone;
  char sectionKey[4] = {};
  bool hasSectionKey = false;
  bool effects = false, adjustment = false, fill = false, vectorMask = false, smartObject = false;
  bool artboard = false;   // its background colour is not kept

  bool passThrough() const;
  bool empty() const { return right <= left || bottom <= top; }
  // Adjustment layers, and fill and shape layers that hold no pixels, have
  // nothing this program keeps.
  bool dropped() const { return adjustment || (fill && empty()); }
};

// Where the layer records are: in the layer info, or for 16- and 32-bit
// files in an Lr16/Lr32 block of the section's additional information.
struct PsdLayerInfo {
  int64_t start = 0, end = 0;   // the record count and what follows
  int count = 0;
};

// From the start of the layer and mask section's content; false when there
// are no layer records.
bool findPsdLayerInfo(File& file, int64_t sectionEnd, int depth, PsdLayerInfo& info);
// The records; the file is left at the first channel's data.
int readPsdRecords(File& file, const PsdLayerInfo& info, std::vector<PsdRecord>& records);

// Counts what was dropped and says so once.
class PsdLeftOut {
 public:
  void count(const PsdRecord& r);
  // Empty when nothing was left out.
  std::string message() const;

 private:
  int effects_ = 0, adjustments_ = 0, shapes_ = 0, smartObjects_ = 0;
};

}  // namespace tessel
