#include "ui/picture_grab.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "app/commands/command_ids.h"
#include "app/models/shell_settings.h"
#include "draw/tool/tool_traits.h"
#include "ui/colour_panel.h"
#include "ui/image_viewer_panel.h"
#include "ui/main_window.h"
#include "ui/panel_window.h"
#include "ui/tools_panel.h"

namespace tessel {

namespace {

constexpr int kGaussianBlurCommand = 41023;

void settle(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
}

bool save(QWidget* widget, const QString& path) {
  const bool ok = widget && widget->grab().save(path, "PNG");
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
  return ok;
}

// Runs a command that opens a modal dialog and saves the dialog once it shows.
bool saveDialog(MainWindow& window, int command, const QString& path) {
  bool ok = false;
  QTimer::singleShot(400, &window, [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      ok = save(dialog, path);
      dialog->reject();
    }
  });
  window.command(command);
  if (!ok) std::fprintf(stderr, "no dialog for %s\n", qPrintable(path));
  return ok;
}

}  // namespace

bool grabManualPictures(MainWindow& window, const QString& folder, const QString& prefix,
                        const QString& viewerFolder) {
  const QString base = folder + QLatin1Char('/') + prefix + QLatin1Char('-');
  // The pen shows more options than the default tool.
  if (auto* tools = window.findChild<ToolsPanel*>()) {
    tools->setCurrent(kToolPen);
    emit tools->toolPicked(kToolPen);
  }
  for (int n = 0; n < kPanelCount; ++n)
    if (!window.panel(n)->isVisible()) window.command(cmd::kPanelFirst + n);
  if (!viewerFolder.isEmpty()) window.imageViewerPanel()->showFolder(viewerFolder);
  settle(1500);   // thumbnails are read on worker threads

  bool ok = true;
  const struct {
    int panel;
    const char* name;
  } panels[] = {{kToolsPanel, "tools"},          {kToolOptionsPanel, "tool-options"},
                {kLayerPanel, "layers"},         {kPalettePanel, "palette"},
                {kNavigatorPanel, "navigator"},  {kImageViewerPanel, "image-viewer"}};
  for (const auto& p : panels) ok = save(window.panel(p.panel), base + QLatin1String(p.name) + ".png") && ok;
  ok = save(window.panel(kToolOptionsPanel)->findChild<ColourPanel*>(), base + "colour.png") && ok;
  ok = saveDialog(window, kGaussianBlurCommand, base + "gaussian-blur.png") && ok;
  ok = saveDialog(window, cmd::kEnvSettings, base + "environment.png") && ok;
  return ok;
}

}  // namespace tessel
