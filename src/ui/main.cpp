#include <QApplication>
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

#include "ui/interface_setup.h"
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

}  // namespace

int main(int argc, char** argv) {
  const auto mainEntered = std::chrono::steady_clock::now();
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
  if (painted) {   // already painted during start-up: nothing more to measure
    session.shutdown();
    return 0;
  }
  int result = QApplication::exec();
  session.shutdown();
  return result;
}
