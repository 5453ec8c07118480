#pragma once

namespace tessel {

// Texts the open/save flow shows, exactly as the user sees them.
inline constexpr const char kMsgNewImageFailed[] = "新建图像失败";
inline constexpr const char kMsgOpenImageFailed[] = "打开图像失败";
inline constexpr const char kMsgOpenFileFailed[] = "打开文件失败";
inline constexpr const char kMsgFormatError[] = "文件格式错误";
inline constexpr const char kMsgMemoryError[] = "内存错误";
inline constexpr const char kMsgDecompressFailed[] = "压缩展开失败，数据已损坏";
inline constexpr const char kMsgPsdLayout[] = "PSD: 无法打开此格式";
inline constexpr const char kMsgPsdNot8BitRgb[] = "PSD: 只能打开8bitRGB格式";
inline constexpr const char kMsgSizeLimitFormat[] = "无法处理宽度或高度在%dpx以上的图像";
inline constexpr const char kMsgImageTooLarge[] = "图像宽度或高度过大";
inline constexpr const char kMsgSaveFailed[] = "保存失败";
inline constexpr const char kMsgClipboardEmpty[] = "剪贴板为空";
inline constexpr const char kMsgFileMissing[] = "文件不存在";
inline constexpr const char kMsgUnsavedChanges[] = "图像已改变，是否需要保存？";
inline constexpr const char kMsgOverwrite[] = "覆盖保存，确定？";
inline constexpr const char kCaptionOverwrite[] = "确定";
inline constexpr const char kMsgVrwFormat[] = "原文件为Vornel格式(vrw)，仅支持灰度图像  \n是否改变图像格式？";
inline constexpr const char kCaptionVrw[] = "vrw保存";
inline constexpr const char kProgressTitle[] = "处理中...";
inline constexpr const char kTitlePrefix[] = "Tessel2 - ";
inline constexpr const char kTitleNewFile[] = "新建文件";
inline constexpr const char kQuickSaveFormat[] = "保存为%s";

}  // namespace tessel

namespace tessel {

// The second line of a failed open: "file name：reason".
inline constexpr const char kReasonSeparator[] = "：";
inline constexpr const char kReasonMissing[] = "文件不存在";
inline constexpr const char kReasonFolder[] = "这是一个文件夹";
inline constexpr const char kReasonUnreadable[] = "没有读取权限";
inline constexpr const char kReasonEmpty[] = "文件为空（0字节）";
inline constexpr const char kReasonNotThisFormat[] = "文件内容与扩展名的格式不符";
inline constexpr const char kReasonDamagedData[] = "图像数据已损坏或不完整";
inline constexpr const char kReasonUnknownExtension[] = "不支持此扩展名";

}  // namespace tessel
