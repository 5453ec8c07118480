#include "app/models/key_dialog_model.h"

#include <cstdio>
#include <iterator>

#include "resources/strings.h"
#include "resources/language.h"

namespace tessel {

static_assert(std::size(text::kToolNames) == kToolCount);

namespace {

// Item names per group, '/'-terminated as the string tables hold them.
constexpr const char* kGroupItems[KeyTable::kGroupCount] = {
    nullptr,   // the tool names, from their own table
    "自由线/直线/矩形/矩形填充/椭圆/椭圆填充/折线/集中线/贝塞尔曲线/样条曲线/",
    "撤销/重做/放大/缩小/倍率100%/水平翻转画布/隐藏-显示所有面板/",
    "直线/矩形/矩形填充/椭圆/椭圆填充/折线/集中线/贝塞尔曲线/样条曲线/吸管/填充/",
    "切换橡皮-上一个工具/切换前景色-背景色/画笔直径+1/画笔直径-1/画笔直径=1/纹理ON-OFF/水彩-量A/水彩-量B/水彩-量C/水彩-量D/",
    "工具/工具选项/图层/调色板/扩展调色板/纹理/导航/图像查看/",
};
constexpr const char* kGroupHeadings[KeyTable::kGroupCount] = {
    "■ 工具", "■ 描画类型", "■ 命令", "■ 键+点击/拖曳", "■ 其他", "■ 窗口",
};

std::string nthField(const char* list, int n) {
  std::string text = list;
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    start = text.find('/', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  size_t end = text.find('/', start);
  return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

bool validEntry(int group, int item) {
  return group >= 0 && group < KeyTable::kGroupCount && item >= 0 &&
         item < KeyTable::kGroupSizes[size_t(group)];
}

}  // namespace

std::vector<KeyDialogRow> keyDialogRows() {
  std::vector<KeyDialogRow> rows;
  for (int group : KeyTable::kDialogOrder) {
    rows.push_back({group, -1, text::tr(kGroupHeadings[group])});
    for (int item = 0; item < KeyTable::kGroupSizes[size_t(group)]; ++item)
      rows.push_back({group, item, keyEntryName(group, item)});
  }
  return rows;
}

std::string keyEntryName(int group, int item) {
  if (!validEntry(group, item)) return {};
  return kGroupItems[group] ? nthField(text::tr(kGroupItems[group]), item) : std::string(text::tr(text::kToolNames[item]));
}

std::string virtualKeyName(uint8_t vk) {
  char text[16];
  if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A)) return std::string(1, char(vk));
  if (vk >= 0x60 && vk <= 0x69) return "Num " + std::string(1, char('0' + vk - 0x60));
  if (vk >= 0x70 && vk <= 0x87) {
    std::snprintf(text, sizeof text, "F%d", vk - 0x70 + 1);
    return text;
  }
  switch (vk) {
    case 0: return {};
    case 0x08: return "Backspace";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x10: return "Shift";
    case 0x11: return "Ctrl";
    case 0x12: return "Alt";
    case 0x1B: return "Esc";
    case 0x20: return "Space";
    case 0x21: return "PageUp";
    case 0x22: return "PageDown";
    case 0x23: return "End";
    case 0x24: return "Home";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
    case 0x2D: return "Insert";
    case 0x2E: return "Delete";
    case 0xBA: return ";";
    case 0xBB: return "=";
    case 0xBC: return ",";
    case 0xBD: return "-";
    case 0xBE: return ".";
    case 0xBF: return "/";
    case 0xC0: return "`";
    case 0xDB: return "[";
    case 0xDC: return "\\";
    case 0xDD: return "]";
    case 0xDE: return "'";
    default: break;
  }
  std::snprintf(text, sizeof text, "0x%02X", vk);
  return text;
}

KeyMove assignKey(KeyTable& keys, int group, int item, uint8_t virtualKey) {
  KeyMove move;
  if (!validEntry(group, item)) return move;
  if (virtualKey != 0) {
    for (int g = 0; g < KeyTable::kGroupCount; ++g)
      for (int i = 0; i < KeyTable::kGroupSizes[size_t(g)]; ++i) {
        if ((g == group && i == item) || keys.keyFor(g, i) != virtualKey) continue;
        keys.assign(g, i, 0);
        move = {true, g, i};
      }
  }
  keys.assign(group, item, virtualKey);
  return move;
}

std::string keyMoveNote(const KeyMove& move) {
  if (!move.taken) return {};
  return text::tr("已从「") + keyEntryName(move.group, move.item) + text::tr("」移除");
}

}  // namespace tessel
