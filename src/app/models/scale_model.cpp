#include "app/models/scale_model.h"

namespace tessel {

void ScaleModel::editWidth(int w) {
  width = w;
  widthPercent = w * 100 / oldWidth;
  if (keepProportions) {
    height = oldHeight * w / oldWidth;
    heightPercent = widthPercent;
  }
}

void ScaleModel::editHeight(int h) {
  height = h;
  heightPercent = h * 100 / oldHeight;
  if (keepProportions) {
    width = oldWidth * h / oldHeight;
    widthPercent = heightPercent;
  }
}

void ScaleModel::editWidthPercent(int p) {
  widthPercent = p;
  width = p * oldWidth / 100;
  if (keepProportions) {
    heightPercent = p;
    height = p * oldHeight / 100;
  }
}

void ScaleModel::editHeightPercent(int p) {
  heightPercent = p;
  height = p * oldHeight / 100;
  if (keepProportions) {
    widthPercent = p;
    width = p * oldWidth / 100;
  }
}

}  // namespace tessel
