#include "resources/language.h"

namespace tessel::text {

namespace {

// Sorted by where the texts live; the Chinese side is spelled exactly as
// in its table, so that it finds its twin.
constexpr Translation kTexts[] = {
    // The program's command line.
    {"用法: tessel [文件]\n"
     "\n"
     "打开光栅绘图软件 Tessel；给出文件时在启动时打开它。\n"
     "\n"
     "选项:\n"
     "  --help     显示此说明后退出\n"
     "  --version  显示版本后退出\n"
     "\n"
     "界面语言: 环境设置的“界面语言 / Language”，或环境变量 TESSEL_LANGUAGE (zh, en)；\n"
     "自动时按 LC_ALL、LC_MESSAGES、LANG 选择：中文及 C/POSIX 区域为中文，其他为英文。\n",
     "Usage: tessel [FILE]\n"
     "\n"
     "Starts the Tessel raster paint program; a FILE given is opened at start-up.\n"
     "\n"
     "Options:\n"
     "  --help     show this text and exit\n"
     "  --version  show the version and exit\n"
     "\n"
     "Language: \"界面语言 / Language\" in the environment settings, or the variable\n"
     "TESSEL_LANGUAGE (zh, en); when automatic, LC_ALL, LC_MESSAGES and LANG decide:\n"
     "Chinese for a Chinese and for the C/POSIX locale, English for every other.\n"},
};

}  // namespace

std::span<const Translation> englishTexts() { return kTexts; }

}  // namespace tessel::text
