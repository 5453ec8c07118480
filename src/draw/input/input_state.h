#pragma once
#include <cstdint>

#include "draw/shape/guide.h"

namespace tessel {

// Where a press, move or release comes from.
enum InputSource : int { kSourceTablet = 0, kSourceMouse = 1 };

// Buttons: left or pen tip, right, middle, tablet side buttons 1 and 2.
enum InputButton : int {
  kButtonLeft = 0,
  kButtonRight = 1,
  kButtonMiddle = 2,
  kButtonSide1 = 3,
  kButtonSide2 = 4,
};

// Held-key actions, in table order: draw types 1-9 while held, then
// eyedropper and fill.
constexpr int kKeyActionCount = 11;
constexpr int kKeyActionEyedropper = 9;
constexpr int kKeyActionFill = 10;

// What the window knows at the moment of an input event. The shell fills it
// before every call; the state machine never asks the toolkit itself.
struct InputState {
  // Pointer in client coordinates; the tablet may give fractions.
  double clientX = 0.0;
  double clientY = 0.0;
  float pressure = 1.0f;      // 1 for the mouse
  bool overClient = true;     // the pointer lies in the canvas's client area
  uint64_t timeMs = 0;        // a monotonic clock
  bool ctrl = false, shift = false, alt = false;
  bool space = false, backspace = false, enter = false;
  bool keyAction[kKeyActionCount] = {};

  // The first held action in table order, or -1.
  int heldKeyAction() const {
    for (int i = 0; i < kKeyActionCount; ++i)
      if (keyAction[i]) return i;
    return -1;
  }
};

// Right and side button actions.
enum ButtonAction : int {
  kActionNone = 0,
  kActionEyedropper = 1,
  kActionPan = 2,
  kActionEraserSwitch = 3,
  kActionUndo = 4,
};


// The settings the canvas input reads.
struct InputOptions {
  uint32_t optFlag = 58;
  int defErase = 0;          // 0-2: which eraser the switch selects
  int brushCirSize = 10;     // smallest size that shows the size circle
  int tabSide[2] = {0, 0};   // side button actions
  int eraseBkTool = 0;       // the remembered previous tool
  GuideKind guide = GuideKind::None;
  GuideSettings guides;
};

constexpr uint32_t kOptFlagFrontOnMove = 0x08;
constexpr uint32_t kOptFlagTransparentPickErases = 0x10;
constexpr uint32_t kOptFlagSizeCircle = 0x20;

}  // namespace tessel
