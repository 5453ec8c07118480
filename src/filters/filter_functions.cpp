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

}  // namespace tessel
