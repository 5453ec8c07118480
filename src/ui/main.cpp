#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "app/startup.h"
#include "resources/language.h"
#include "ui/interface_setup.h"
#include "ui/main_window.h"
#include "ui/picture_grab.h"
#include "platform/image_decoders.h"
#include "ui/session.h"

namespace {

// Seconds since this process started, from the kernel's start time.
double secondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string line;
  std::getline(stat, line);
  size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
  }
  double start = std::strtod(field.c_str(), nullptr) / double(sysconf(_SC_CLK_TCK));
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9 - start;
}

const char kUsage[] =
    "用法: tessel [文件]\n"
    "\n"
    "打开光栅绘图软件 Tessel；给出文件时在启动时打开它。\n"
    "\n"
    "选项:\n"
    "  --help     显示此说明后退出\n"
    "  --version  显示版本后退出\n"
    "\n"
    "界面语言: 环境设置的“界面语言 / Language”，或环境变量 TESSEL_LANGUAGE (zh, en)；\n"
    "自动时按 LC_ALL、LC_MESSAGES、LANG 选择：中文及 C/POSIX 区域为中文，其他为英文。\n";

// --help and --version print and end the program; true when one was given.
bool answeredOption(int argc, char** argv) {
  if (argc < 2) return false;
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(tessel::text::tr(kUsage), stdout);
    return true;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("tessel %s\n", TESSEL_VERSION);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const auto mainEntered = std::chrono::steady_clock::now();
  // The language is chosen before anything is shown, the help text included.
  tessel::text::chooseLanguageAtStart(tessel::settingsFolderForThisProgram());
  if (answeredOption(argc, argv)) return 0;
  // Under Wayland the panels could not be placed; XWayland lets them be.
  const std::string platform = tessel::preferredPlatform(std::getenv("QT_QPA_PLATFORM"),
                                                         std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"));
  if (!platform.empty()) setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
  QApplication qt(argc, argv);
  tessel::handDownPictureDecoders(&tessel::platformPictureDecoders());
  QApplication::setApplicationName(QStringLiteral("Tessel2"));
  // Lets the desktop match the window to tessel.desktop and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("tessel"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tessel")));
  const char* timing = std::getenv("TESSEL_STARTUP_TIMING");
  const bool measure = timing && std::strcmp(timing, "1") == 0;

  tessel::Session session;
  QString commandLine = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  bool painted = false;
  if (measure) {
    session.onFirstPaint = [mainEntered, &painted] {
      painted = true;
      double sinceMain =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - mainEntered).count();
      std::fprintf(stderr, "startup: first paint %.3f s after process start (%.3f s after main, platform %s)\n",
                   secondsSinceProcessStart(), sinceMain, qPrintable(QGuiApplication::platformName()));
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    };
  }
  if (!session.start(commandLine)) return 0;
  // scripts/manual_pictures: pictures of the panels and dialogs for the manual.
  if (const char* folder = std::getenv("TESSEL_MANUAL_PICTURES")) {
    const bool english = tessel::text::language() == tessel::text::Language::English;
    const bool ok = tessel::grabManualPictures(
        *session.window(), QString::fromLocal8Bit(folder), english ? QStringLiteral("en") : QStringLiteral("zh"),
        commandLine.isEmpty() ? QString() : QFileInfo(commandLine).absolutePath());
    session.shutdown();
    return ok ? 0 : 1;
  }
  if (painted) {   // already painted during start-up: nothing more to measure
    session.shutdown();
    return 0;
  }
  int result = QApplication::exec();
  session.shutdown();
  return result;
}
