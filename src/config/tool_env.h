#pragma once
#include <cstdint>

namespace tessel {

// The tools, one row each in draw/tool/tool_traits.cpp, numbered in the
// order of the tool names; config.ini and key.dat keep one entry per tool.
constexpr int kToolCount = 19;

// The tools' option words ([ToolEnv] in config.ini). A tool's row names the
// word it reads and edits, its value at start and how its bits are laid out.
struct ToolEnv {
  uint32_t pencil = 0;
  uint32_t pen = 0;
  uint32_t pen2 = 0;
  uint32_t brush = 0;
  uint32_t erasePen = 0;
  uint32_t eraseBrush = 0;
  uint32_t splay = 0;
  uint32_t dodge = 0;
  uint32_t burn = 0;
  uint32_t water = 0;
  uint32_t paint = 0;   // fill tool
  uint32_t grad = 0;    // gradient tool
};

// Which [ToolEnv] word a tool reads and edits; null for none.
using ToolEnvWord = uint32_t ToolEnv::*;

}  // namespace tessel
