#include "filters/filter_functions.h"

namespace tessel {

FilterFunction filterFunction(int tableIndex) {
  static const FilterFunction kTable[kFilterCount] = {
      filterBrightnessContrast, filterGamma, filterLevels, filterRgbAdjust, filterHsvAdjust,
      filterInvert, filterDesaturate, filterSepia, filterMapForegroundBackground, filterBinarize,
      filterReduceColours, filterReplaceColour, filterSetAlpha, filterLines, filterDots,
      filterGrid, filterOutlineOutside, filterBorder, filterRandomDots, filterMosaic,
      filterCrystallize, filterHalftone, filterBlur, filterGaussianBlur, filterRadialBlur,
      filterLensBlur, filterMotionBlur, filterSharpen, filterUnsharpMask, filterSobel,
      filterLaplacian, filterWave, filterPolar, filterRadialZoom, filterLineCorrection,
      filterAntiAlias, filterOffset, filterEmboss, filterNoise, filterDiffuse,
      filterScratches, filterLensShake, filterMedian, filterOilPaint, filterBorder3d,
      filterPosterize, filterClouds, filterRgbShift, filterLineArt, filterOutlineInside,
      filterOutline, filterGlow,
  };
  if (tableIndex < 0 || tableIndex >= kFilterCount) return nullptr;
  return kTable[tableIndex];
}

FilterFunction filterFunctionForCommand(int commandId) {
  switch (commandId) {
    case 41800: return filterForegroundToTransparent;
    case 41801: return filterNonForegroundToTransparent;
    case 41802: return filterFillTransparentForeground;
    case 41803: return filterForegroundToBackground;
    case 41810: return filterLightToTransparent;
    case 41811: return filterDarkToTransparent;
    case 41812: return filterGreyFromAlpha;
    case 41813: return filterRemoveTransparency;
    case 41820: return filterCloudsBlackWhite;
    case 41821: return filterCloudsForegroundBackground;
    case 41822: return filterCloudsDifference;
    default: return nullptr;
  }
}

}  // namespace tessel
