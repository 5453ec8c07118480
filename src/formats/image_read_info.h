#pragma once

namespace tessel {

// Why a reader refused a file, where it can tell.
enum class ReadReason { kUnknown, kNotThisFormat, kDamagedData };

// What a flat-image reader reports besides its pixels.
struct ImageReadInfo {
  bool hadAlpha = false;   // a PNG with alpha or tRNS (the PNG save-with-alpha default)
  bool tooLarge = false;   // the header named a side above kMaxReadSide
  ReadReason reason = ReadReason::kUnknown;   // set on some failures
};

}  // namespace tessel
