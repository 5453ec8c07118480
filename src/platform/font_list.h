#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

// A family the text dialog offers: its name and character set (2 for symbol
// fonts, 1 otherwise).
struct FontFamily {
  std::string name;
  int32_t charSet = 1;
};

// The installed families, sorted, each once; a family with Chinese,
// Japanese or Korean glyphs is followed by its "@" twin for vertical
// writing. Empty when fontconfig fails.
std::vector<FontFamily> fontFamilies();

// The font file that serves a family in a style.
struct FontFile {
  std::string path;
  int index = 0;            // the face within a collection
  std::string family;       // the family actually used
  bool substituted = false; // the asked family is not installed
  bool bold = false;        // the face is bold itself
  bool italic = false;      // the face slants itself
};

// Finds the face for family through fontconfig. A family that is not
// installed becomes the installed face fontconfig prefers for Simplified
// Chinese; the Windows Song faces ("NSimSun", "SimSun") become its serif
// (Song) face. False when no font is installed at all.
bool findFont(const std::string& family, bool bold, bool italic, FontFile& out);

// Frees fontconfig's process-wide configuration. Only for programs that are
// done with fonts for good (tessel-cli, the tests); the window program keeps
// it, since Qt shares it.
void releaseFontConfig();

}  // namespace tessel
