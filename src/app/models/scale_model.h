#pragma once

namespace tessel {

// The scale dialog's fields: the old size, the new size in pixels and in
// percent, "keep proportions" and the method (ScaleType order). Editing one
// field recomputes the others with integer divisions.
struct ScaleModel {
  int oldWidth = 1, oldHeight = 1;
  int width = 1, height = 1;               // 1-4500
  int widthPercent = 100, heightPercent = 100;   // 1-5000
  bool keepProportions = true;
  int method = 2;

  static ScaleModel start(int w, int h, int method) {
    return {w, h, w, h, 100, 100, true, method};
  }
  void editWidth(int w);
  void editHeight(int h);
  void editWidthPercent(int p);
  void editHeightPercent(int p);
};

}  // namespace tessel
