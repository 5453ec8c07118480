#pragma once
#include <string>

#include "app/commands/command_ids.h"

namespace tessel {

class Application;
class Shell;

// Texts of the scanner commands.
inline constexpr const char kMsgLeaveFullScreen[] = "请关闭全屏模式";
inline constexpr const char kMsgNoScanner[] = "未找到扫描仪";
inline constexpr const char kMsgScannerBusy[] = "扫描仪正被其他程序使用，请稍后再试";
inline constexpr const char kMsgScanFailed[] = "扫描失败";
inline constexpr const char kMsgScanAtResolution[] = "是否以%d dpi重新扫描？";
inline constexpr const char kTipScanAcquire[] = "通过SANE从扫描仪获取图像";
inline constexpr const char kTipScanSelect[] = "通过SANE选择扫描仪";

// Both commands need the scanner library.
bool scannerEnabled(const Application& app);
// The menu tooltip of the two scanner commands (why they are greyed when they are);
// empty for other commands.
std::string scanCommandToolTip(const Application& app, int id);

// cmd::kScanSelectDevice: lists the scanners and remembers the choice in the settings.
bool selectScanner(Application& app, Shell& shell);
// cmd::kScanAcquire: the scan dialog, the unsaved-changes question, the scan behind the
// progress dialog, then a new one-layer document. False when nothing changed.
bool acquireScan(Application& app, Shell& shell);

}  // namespace tessel
