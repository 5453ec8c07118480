#pragma once
// Every filter and colour command as a function of the common form, and the
// look-up by the filter table's index.
#include "filters/filter_types.h"

namespace tessel {

constexpr int kFilterCount = 52;

// Null outside 0 ... 51.
FilterFunction filterFunction(int tableIndex);

#define TESSEL_FILTER(name)                                                             \
  bool name(const FilterValues& values, const FilterContext& context, Image32& dst, \
            const Image32& src, const Rect& rect, Progress* progress)

// Colour family.
TESSEL_FILTER(filterBrightnessContrast);
TESSEL_FILTER(filterGamma);
TESSEL_FILTER(filterLevels);   // sliders: low, middle, high, output low, output high
TESSEL_FILTER(filterRgbAdjust);
TESSEL_FILTER(filterHsvAdjust);
TESSEL_FILTER(filterInvert);
TESSEL_FILTER(filterDesaturate);
TESSEL_FILTER(filterSepia);
TESSEL_FILTER(filterMapForegroundBackground);
TESSEL_FILTER(filterBinarize);
TESSEL_FILTER(filterPosterize);
TESSEL_FILTER(filterReduceColours);
TESSEL_FILTER(filterReplaceColour);   // sliders 0 and 1: from and to as 0xRRGGBB
TESSEL_FILTER(filterForegroundToTransparent);
TESSEL_FILTER(filterNonForegroundToTransparent);
TESSEL_FILTER(filterFillTransparentForeground);
TESSEL_FILTER(filterForegroundToBackground);
TESSEL_FILTER(filterLightToTransparent);
TESSEL_FILTER(filterDarkToTransparent);
TESSEL_FILTER(filterGreyFromAlpha);
TESSEL_FILTER(filterRemoveTransparency);
TESSEL_FILTER(filterLineArt);

// Convolutions.
TESSEL_FILTER(filterSharpen);
TESSEL_FILTER(filterLaplacian);
TESSEL_FILTER(filterSobel);
TESSEL_FILTER(filterEmboss);

// Blurs and neighbourhood statistics.
TESSEL_FILTER(filterBlur);
TESSEL_FILTER(filterGaussianBlur);
TESSEL_FILTER(filterMotionBlur);
TESSEL_FILTER(filterLensShake);
TESSEL_FILTER(filterUnsharpMask);
TESSEL_FILTER(filterMedian);
TESSEL_FILTER(filterOilPaint);

// Blocks, displacement and noise.
TESSEL_FILTER(filterMosaic);
TESSEL_FILTER(filterOffset);
TESSEL_FILTER(filterNoise);
TESSEL_FILTER(filterDiffuse);
TESSEL_FILTER(filterWave);
TESSEL_FILTER(filterRgbShift);
TESSEL_FILTER(filterAntiAlias);

// Patterns and frames.
TESSEL_FILTER(filterLines);
TESSEL_FILTER(filterDots);
TESSEL_FILTER(filterGrid);
TESSEL_FILTER(filterBorder);
TESSEL_FILTER(filterBorder3d);

// Layer alpha and outlines.
TESSEL_FILTER(filterSetAlpha);
TESSEL_FILTER(filterOutlineOutside);
TESSEL_FILTER(filterOutlineInside);
TESSEL_FILTER(filterOutline);

// Filters of our own design.
TESSEL_FILTER(filterCrystallize);
TESSEL_FILTER(filterHalftone);
TESSEL_FILTER(filterRadialBlur);
TESSEL_FILTER(filterLensBlur);
TESSEL_FILTER(filterRandomDots);
TESSEL_FILTER(filterPolar);
TESSEL_FILTER(filterRadialZoom);
TESSEL_FILTER(filterScratches);
TESSEL_FILTER(filterGlow);
TESSEL_FILTER(filterLineCorrection);
TESSEL_FILTER(filterClouds);   // sliders: detail, sharpness, contrast; list 0: colours
TESSEL_FILTER(filterCloudsBlackWhite);
TESSEL_FILTER(filterCloudsForegroundBackground);
TESSEL_FILTER(filterCloudsDifference);

}  // namespace tessel
