#pragma once
#include <cstdint>
#include <string>

#include "config/settings.h"

namespace tessel {

// Text flags ([Text] Flag).
constexpr uint32_t kTextBold = 0x1;
constexpr uint32_t kTextItalic = 0x2;
constexpr uint32_t kTextVertical = 0x4;
constexpr uint32_t kTextAntiAlias = 0x8;
constexpr uint32_t kTextPreview = 0x100;

constexpr int kTextMaxUnits = 2047;   // UTF-16 units the 4096-byte text buffer holds
constexpr int kFaceNameBytes = 31;    // a face name's bytes before its terminator

// The text tool's settings, as the dialog edits them and [Text] keeps them.
struct TextSettings {
  std::string face = "NSimSun";
  int32_t charSet = 1;   // 1 default, 2 symbol
  int32_t size = 12;     // points; 0 counts as 1
  int32_t charSpace = 0;
  int32_t lineSpace = 0;
  uint32_t flags = kTextPreview;

  bool bold() const { return flags & kTextBold; }
  bool italic() const { return flags & kTextItalic; }
  bool vertical() const { return flags & kTextVertical; }
  bool antiAlias() const { return flags & kTextAntiAlias; }
  bool preview() const { return flags & kTextPreview; }

  // The em height in pixels at dpi pixels per inch, rounded as MulDiv does.
  int pixelSize(int dpi) const;

  static TextSettings from(const Settings& s);
  void storeInto(Settings& s) const;
};

}  // namespace tessel
