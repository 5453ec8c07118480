#include "ui/interface_setup.h"
#include "resources/language.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <QTreeView>

namespace tessel {

std::string preferredPlatform(const char* qpaPlatform, const char* waylandDisplay, const char* display) {
  auto set = [](const char* v) { return v && *v; };
  if (set(qpaPlatform)) return {};
  return set(waylandDisplay) && set(display) ? "xcb" : "";
}

bool installQtTranslations() {
  static bool installed = false;
  if (installed) return true;
  // English is Qt's own language: nothing to install.
  if (text::language() == text::Language::English) return true;
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  auto* translator = new QTranslator(qApp);
  if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = true;
  return true;
}

namespace {

// Room beside the title text for the window manager's icon and buttons.
constexpr int kTitleBarExtra = 170;
constexpr char kFitted[] = "tesselFitted";

void fitMessageBoxToTitle(QMessageBox* box) {
  auto* grid = qobject_cast<QGridLayout*>(box->layout());
  if (!grid) return;
  QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
  titleFont.setBold(true);
  const int need = QFontMetrics(titleFont).horizontalAdvance(box->windowTitle()) + kTitleBarExtra;
  grid->addItem(new QSpacerItem(need, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                grid->columnCount());
}

// Size, type and date take what their header and cells need; the name has
// the rest.
void fitFileDialogColumns(QFileDialog* dialog) {
  auto* tree = dialog->findChild<QTreeView*>();
  if (!tree) return;   // the platform's own dialog
  QHeaderView* header = tree->header();
  header->setStretchLastSection(false);
  for (int i = 0; i < header->count(); ++i)
    header->setSectionResizeMode(i, i == 0 ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
  dialog->resize(dialog->size().expandedTo(QSize(760, 460)));
}

class DialogFitter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() != QEvent::Show || !object->isWidgetType() || object->property(kFitted).toBool())
      return false;
    if (auto* box = qobject_cast<QMessageBox*>(object)) {
      box->setProperty(kFitted, true);
      fitMessageBoxToTitle(box);
    } else if (auto* files = qobject_cast<QFileDialog*>(object)) {
      files->setProperty(kFitted, true);
      fitFileDialogColumns(files);
    }
    return false;
  }
};

}  // namespace

void installDialogFitting(QApplication& app) {
  static DialogFitter* fitter = nullptr;
  if (fitter) return;
  fitter = new DialogFitter(&app);
  app.installEventFilter(fitter);
}

}  // namespace tessel
