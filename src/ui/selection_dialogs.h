#pragma once
class QWidget;

namespace tessel {

// "任意旋转": whole degrees (-360 to 360) and smoothing. False when cancelled.
bool rotateAngleDialog(QWidget* parent, int& degrees, bool& smooth);
// "指定选区坐标": the selection's inclusive corners. False when cancelled.
bool selectionRectDialog(QWidget* parent, int& left, int& top, int& right, int& bottom);

}  // namespace tessel
