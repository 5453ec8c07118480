#pragma once
#include <QString>

#include "resources/language.h"
// Texts the Qt windows add around the program's own: hints, reasons and
// titles that the platform's dialogs need.

namespace tessel::ui_text {

// Under the layer name: what the 31-byte limit means in characters.
inline constexpr const char kNameLimit[] = "最多31字节（汉字占2字节），已用 %1";
// The help page could not be shown.
inline constexpr const char kHelpFailed[] = "找不到可以显示帮助的网页浏览器。\n帮助文件在：\n%1";

// The tool-options panel of a tool that has none (move, selection).
inline constexpr const char kNoToolOptions[] = "此工具没有可调的选项";

}  // namespace tessel::ui_text

namespace tessel {
// A text of the tables as the chosen language shows it.
inline QString trq(const char* chinese) { return QString::fromUtf8(text::tr(chinese)); }
}  // namespace tessel
