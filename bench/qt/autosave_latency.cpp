// How long pointer moves wait while a 30-layer 4500 x 4500 document is
// autosaved, against the same moves without it. Runs the real main window
// (offscreen); prints median and worst wait, the recovery file's size and the
// time its writing took.
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/application.h"
#include "io/file.h"
#include "ui/canvas_widget.h"
#include "ui/main_window.h"
#include "ui/session.h"

namespace {

using Clock = std::chrono::steady_clock;

// Stamps posted moves and measures how long each waited for the event loop.
class Probe : public QObject {
 public:
  std::vector<double> waits;   // milliseconds
  std::atomic<bool> on{false};
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::MouseMove && on) {
      auto* m = static_cast<QMouseEvent*>(e);
      const auto sent = Clock::time_point(std::chrono::microseconds(m->timestamp()));
      waits.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
    }
    return false;
  }
};

void report(const char* label, std::vector<double> w) {
  if (w.empty()) return;
  std::sort(w.begin(), w.end());
  std::printf("%-22s moves %5zu  median %6.2f ms  worst %7.2f ms\n", label, w.size(), w[w.size() / 2], w.back());
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QByteArray home = qgetenv("TESSEL_HOME");
  if (home.isEmpty()) qputenv("TESSEL_HOME", "/tmp/tessel_latency_home");
  QApplication qt(argc, argv);
  tessel::Session session;
  if (!session.start(QString())) return 1;
  tessel::Application& app = session.app();
  const int side = argc > 1 ? std::atoi(argv[1]) : 4500, count = argc > 2 ? std::atoi(argv[2]) : 30;
  {
    tessel::RecorderMute mute(app.document);
    if (!app.document.newImage(side, side, true)) return 1;
    for (int i = 1; i < count; ++i) app.document.layers().add(side, side, true);
    for (int i = 0; i < count; ++i) {
      tessel::Image32& img = app.document.layers().atIndex(i)->image();
      for (int y = 0; y < side; ++y) {
        tessel::Pixel* row = img.row(y);
        for (int x = 0; x < side; ++x)   // strokes of colour on transparency, as a drawing has
          row[x] = ((x / 7 + y / 5 + i) % 9 == 0) ? 0xFF000000u | uint32_t(x * 31 + y * 17 + i * 97) : 0x00FFFFFFu;
      }
    }
    app.document.selectLayer(0);
  }
  app.document.recorder().recordPixelRect({0, 0, 1, 1});   // modified
  QWidget* viewport = session.window()->canvas()->viewport();
  Probe probe;
  viewport->installEventFilter(&probe);
  std::atomic<bool> run{true};
  std::thread mover([&] {
    int k = 0;
    while (run) {
      const auto now = Clock::now().time_since_epoch();
      auto* e = new QMouseEvent(QEvent::MouseMove, QPointF(100 + (k++ % 200), 100), QPointF(100, 100),
                                Qt::NoButton, Qt::NoButton, Qt::NoModifier);
      e->setTimestamp(quint64(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
      QCoreApplication::postEvent(viewport, e);
      std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
  });
  auto measure = [&](const char* label, auto&& until, int limitMs) {
    probe.waits.clear();
    probe.on = true;
    QElapsedTimer t;
    t.start();
    QTest::qWaitFor(until, limitMs);
    probe.on = false;
    report(label, probe.waits);
    return t.elapsed();
  };
  measure("without autosave", [] { return false; }, 3000);
  tessel::AutosaveSession& autosave = *app.autosave;
  autosave.setIntervalSeconds(0);
  autosave.setIntervalSeconds(1);
  const std::string record = autosave.store().recordPath();
  qint64 ms = measure("first autosave", [&] { return tessel::fileExists(record); }, 600000);
  std::printf("first autosave: %.1f s in all, write %.1f s, file %.1f MiB, rows copied %lld\n", ms / 1000.0,
              autosave.saver().lastWriteSeconds(), autosave.saver().lastBytes() / 1048576.0,
              (long long)autosave.saver().copiedRows());
  // One stroke's worth of change, then the next run copies only those rows.
  {
    tessel::Image32& img = app.document.layers().atIndex(3)->image();
    for (int y = 1000; y < 1100; ++y) img.row(y)[500] = 0xFF123456u;
  }
  app.document.recorder().recordPixelRect({500, 1000, 1, 100});
  std::remove(record.c_str());
  ms = measure("second autosave", [&] { return tessel::fileExists(record); }, 600000);
  std::printf("second autosave: %.1f s in all, write %.1f s, rows copied %lld\n", ms / 1000.0,
              autosave.saver().lastWriteSeconds(), (long long)autosave.saver().copiedRows());
  run = false;
  mover.join();
  session.shutdown();
  return 0;
}
