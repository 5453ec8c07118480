#pragma once
#include <cstdint>

#include "config/settings.h"
#include "draw/tool/option_words.h"
#include "draw/tool/tool_traits.h"
#include "image/geometry.h"

namespace tessel {

// Thin readers of the tool's row.
inline bool isPaintingTool(int tool) { return toolTraits(tool).painting(); }
// Every painting tool but the pencil, the 1-pixel line, the hard eraser and the finger.
inline bool usesSubPixel(int tool) { return toolTraits(tool).usesSubPixel(); }
// Shapes of these tools go straight into the layer.
inline bool shapeDrawsDirect(int tool) { return toolTraits(tool).shapeDirect; }

// Per-tool size, opacity and draw type, indexed by ToolId, and the option
// words; at start each tool's row gives its size, opacity and word.
struct ToolSettings {
  uint8_t size[kToolCount];
  uint8_t alpha[kToolCount];
  uint8_t drawType[kToolCount] = {};
  ToolEnv env;

  ToolSettings();
  // The per-tool part of config.ini: load clamps what a hand-edited file
  // holds and drops draw types the tool does not take; store writes it back.
  void load(const Settings& s);
  void store(Settings& s) const;

  // Setters clamp: size 1-100, opacity 1-255. Unknown tools are ignored.
  void setSize(int tool, int value);
  void setAlpha(int tool, int value);
  int sizeOf(int tool) const;
  int alphaOf(int tool) const;
  // The option word the tool set-up reads for pressure (the pen's switches or the
  // percentages at zero pressure); 0 for tools without one.
  uint32_t optionWord(int tool) const;
};

// config.ini's values before the file is read: Settings' own defaults and the
// tool rows' sizes, opacities and option words.
Settings defaultSettings();

// Drawing colours, textures and the colour mask ([Draw] section).
struct DrawSettings {
  int toolNo = 0;
  int curColNo = 0;              // 0 selects drawCol1, 1 drawCol2
  Pixel drawCol1 = 0x000000;     // 0x00RRGGBB
  Pixel drawCol2 = 0xFFFFFF;
  uint32_t colMaskType = 0;      // 0 off, 1 protect listed colours, 2 paint only on them
  int colMaskCnt = 1;            // 1-5
  uint32_t maskCol[5] = {};
  bool textureOn = false;
  int textureSel = 0;

  Pixel drawingColour() const { return (curColNo == 1 ? drawCol2 : drawCol1) & 0xFFFFFFu; }
};

}  // namespace tessel
