#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "config/tool_env.h"

namespace tessel {

constexpr int kRecentFileCount = 10;
constexpr int kRecentDirCount = 8;
constexpr int kNewSizeRecentCount = 5;
constexpr int32_t kNeverPlaced = -10000;
constexpr int kPaletteNameCount = 10;   // one per palette tab

// OptFlag bits.
constexpr int32_t kOptConfirmOverwrite = 1 << 0;
constexpr int32_t kOptAskSaveOnExit = 1 << 1;
constexpr int32_t kOptTitleFileNameOnly = 1 << 2;
constexpr int32_t kOptActivateMainWindow = 1 << 3;
constexpr int32_t kOptTransparentPickErases = 1 << 4;
constexpr int32_t kOptRealBrushShape = 1 << 5;
constexpr int32_t kOptEraserFillIgnoresReference = 1 << 6;

// Where the windows were ([Window] in config.ini); kNeverPlaced asks for the default place.
struct WindowPlacement {
  int32_t mainLeft = kNeverPlaced, mainTop = 0, mainRight = 500, mainBottom = 400, mainShowCmd = 3;
  int32_t toolX = kNeverPlaced, toolY = kNeverPlaced;
  int32_t ctlX = kNeverPlaced, ctlY = kNeverPlaced;
  int32_t layerX = kNeverPlaced, layerY = kNeverPlaced, layerH = 290;
  int32_t texLeft = kNeverPlaced, texTop = kNeverPlaced, texRight = 0, texBottom = 0;
  int32_t palLeft = kNeverPlaced, palTop = kNeverPlaced, palRight = 0, palBottom = 0;
  int32_t exPalX = kNeverPlaced, exPalY = kNeverPlaced;
  int32_t prevLeft = kNeverPlaced, prevTop = kNeverPlaced, prevRight = 0, prevBottom = 0;
  int32_t imgVLeft = kNeverPlaced, imgVTop = kNeverPlaced, imgVRight = 0, imgVBottom = 0;
};

// Every setting the program keeps between runs, with its default. The
// application owns one and passes it down; values whose users are not built
// yet are carried from reading to writing unchanged. The tools' sizes,
// opacities and option words start at zero here: their defaults are in the
// tool rows (defaultSettings() fills them in).
struct Settings {
  // [Env]
  int32_t winViewFlag = 31, exViewFlag = 144, viewBkFlag = 1, optFlag = 58;
  int32_t imgVFlag = 0, prevFlag = 0, tabletFlag = 1;
  int32_t defImgW = 300, defImgH = 300, lastImgW = 300, lastImgH = 300;
  int32_t scaleDAdd = 25, scaleUAdd = 100, undoCnt = 30;
  int32_t gridW = 100, gridH = 100, gridPixelPer = 5;
  int32_t colBarType = 1, texViewSize = 1, palViewW = 12, palViewH = 12, palRBtt = 0, palDefTab = 0;
  int32_t exPalType = 0, prevScale = 100, imgVScale = 100, infoBarPos = 1;
  int32_t pngComp = 6, jpegComp = 85, scaleType = 2, rotateAngle = 65536;
  int32_t defErase = 0, brushCirSize = 10, taleTool = 7, tabSide1 = 0, tabSide2 = 0, eraseBkTool = 0;
  int32_t fixSaveOpt = 0;
  // Minutes between autosaves (0 off); 1 = ask before a save drops layers.
  int32_t autosaveMin = 5, flattenAsk = 1;
  int32_t canvBkCol = 0xB4B4B4, checkCol1 = 0xD8D8D8, checkCol2 = 0xF8F8F8;
  int32_t gridCol = 0x80FF, centerGridCol = 0xFF00FF, gradMapCol1 = 0xFFFFFF, gradMapCol2 = 0;
  std::string openDir, saveDir, imgVDir, fixSaveDir;
  std::string scanDevice;   // the scanner chosen last ("ScanDevice")

  // [ToolEnv]: the tools' option words.
  ToolEnv toolEnv;

  // [Text]
  int32_t textWinX = -1, textWinY = -1;
  std::string fontName = "NSimSun";   // at most 31 bytes
  int32_t charSet = 1, fontSize = 12, charSpace = 0, lineSpace = 0, textFlag = 256;

  // [Draw]
  int32_t toolNo = 0, curColNo = 0, drawCol1 = 0, drawCol2 = 0xFFFFFF;
  int32_t colMaskType = 0;   // written only; off after every start
  int32_t colMaskCnt = 1, textureOn = 0, textureSel = 0;
  std::array<uint8_t, kToolCount> drawType{};
  std::array<uint8_t, kToolCount> brushSize{};
  std::array<uint8_t, kToolCount> brushAlpha{};
  std::array<uint32_t, 5> maskCol{};

  // Numbered sections.
  std::array<uint32_t, kNewSizeRecentCount> newSizeRecent{};   // width << 16 | height
  std::array<std::array<uint16_t, 7>, kToolCount> brushSave{};  // size * 256 + opacity
  std::array<uint32_t, 8> maskColRecent{};
  std::array<std::string, kRecentFileCount> recentFiles;
  std::array<std::string, kRecentDirCount> recentDirs;
  // The palette tabs' names ("palette.dat" has no room for them); empty for
  // the default name. [PaletteName] is written only when one is set.
  std::array<std::string, kPaletteNameCount> paletteNames;

  Settings();
};

}  // namespace tessel
