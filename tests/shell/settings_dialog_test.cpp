// The settings, key, preferred-save and New dialogs and the file pop-ups on
// the real main window under the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "app/application.h"
#include "app/commands/commands.h"
#include "ui/canvas_widget.h"
#include "ui/main_window.h"
#include "ui/panel_window.h"
#include "ui/session.h"
#include "ui/settings_dialog.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

// Answers the next modal window once it shows; it is closed afterwards
// unless the handler closed it.
void onModal(std::function<void(QWidget*)> handle, int triesLeft = 300) {
  QTimer::singleShot(10, [handle = std::move(handle), triesLeft]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      if (triesLeft > 0) onModal(std::move(handle), triesLeft - 1);
      return;
    }
    handle(modal);
    if (modal->isVisible()) modal->close();
  });
}

void clickOk(QWidget* dialog) {
  dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

class SettingsDialogShellTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
  }
  void TearDown() override {
    ShellTest::TearDown();
  }
  QByteArray configText() {
    QFile ini(home.path() + "/config.ini");
    return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
  }
  void finish(Session& session) {
    session.app().history.clear();
    session.window()->close();
    session.shutdown();
  }
};

TEST_F(SettingsDialogShellTest, EverySettingRoundTripsThroughConfigIni) {
  {
    Session session;
    ASSERT_TRUE(session.start(QString()));
    bool seen = false;
    onModal([&](QWidget* w) {
      auto* d = dynamic_cast<EnvSettingsDialog*>(w);
      ASSERT_NE(d, nullptr);
      seen = true;
      EXPECT_EQ(d->tabs()->count(), 3);
      EXPECT_EQ(d->optBox(0)->text(), QStringLiteral("覆盖保存前提示确认"));
      EXPECT_EQ(d->spin(EnvSettingsDialog::kDefW)->maximum(), 4500);
      EXPECT_EQ(d->spin(EnvSettingsDialog::kScaleUp)->maximum(), 1000);
      EXPECT_EQ(d->taleTool()->count(), 19);
      EXPECT_EQ(d->tabSide(0)->count(), 5);
      for (int bit = 0; bit < 7; ++bit) d->optBox(bit)->setChecked(bit % 2 == 0);
      d->tabletBox(0)->setChecked(false);
      d->tabletBox(1)->setChecked(true);
      d->spin(EnvSettingsDialog::kDefW)->setValue(640);
      d->spin(EnvSettingsDialog::kDefH)->setValue(480);
      d->spin(EnvSettingsDialog::kScaleDown)->setValue(10);
      d->spin(EnvSettingsDialog::kScaleUp)->setValue(250);
      d->spin(EnvSettingsDialog::kUndo)->setValue(12);
      d->spin(EnvSettingsDialog::kBrushCircle)->setValue(33);
      d->spin(EnvSettingsDialog::kJpegQuality)->setValue(70);
      d->spin(EnvSettingsDialog::kPngLevel)->setValue(9);
      d->progressive()->setChecked(true);
      d->taleTool()->setCurrentIndex(8);
      d->tabSide(0)->setCurrentIndex(2);
      d->tabSide(1)->setCurrentIndex(4);
      d->setColour(EnvSettingsDialog::kCanvas, 0x112233);
      d->setColour(EnvSettingsDialog::kCheck1, 0x445566);
      d->setColour(EnvSettingsDialog::kCheck2, 0x778899);
      clickOk(d);
    });
    ASSERT_TRUE(session.window()->command(cmd::kEnvSettings));
    EXPECT_TRUE(seen);
    EXPECT_EQ(session.app().settings.view.canvasBackground, 0x112233u);   // at once
    EXPECT_EQ(session.app().undo->undoCnt(), 12);
    finish(session);
  }
  QByteArray ini = configText();
  for (const char* line : {"OptFlag=85\r\n", "TabletFlag=2\r\n", "DefImgW=640\r\n", "DefImgH=480\r\n",
                           "ScaleDAdd=10\r\n", "ScaleUAdd=250\r\n", "UndoCnt=12\r\n", "BrushCirSize=33\r\n",
                           "JPEGComp=32838\r\n", "PNGComp=9\r\n", "TaleTool=8\r\n", "TabSide1=2\r\n",
                           "TabSide2=4\r\n", "CanvBkCol=1122867\r\n", "CheckCol1=4478310\r\n", "CheckCol2=7833753\r\n"})
    EXPECT_TRUE(ini.contains(line)) << line << "\n" << ini.constData();
  Session again;
  ASSERT_TRUE(again.start(QString()));
  EXPECT_EQ(again.app().document.width(), 640);   // the start-up size waits for the restart
  EXPECT_EQ(again.app().config.optFlag, 85);
  finish(again);
}

// The language choice lives in its own file: config.ini keeps its bytes.
TEST_F(SettingsDialogShellTest, LanguageChoiceIsKeptBesideConfigIni) {
  auto chooseLanguage = [&](Session& session, int expected, int choice) {
    bool seen = false;
    onModal([&](QWidget* w) {
      auto* d = dynamic_cast<EnvSettingsDialog*>(w);
      ASSERT_NE(d, nullptr);
      seen = true;
      ASSERT_EQ(d->language()->count(), 3);
      EXPECT_EQ(d->language()->itemText(0), QStringLiteral("自动 / Automatic"));
      EXPECT_EQ(d->language()->currentIndex(), expected);
      d->language()->setCurrentIndex(choice);
      clickOk(d);
    });
    ASSERT_TRUE(session.window()->command(cmd::kEnvSettings));
    EXPECT_TRUE(seen);
  };
  QFile language(home.path() + "/language");
  QByteArray untouched;
  {
    Session session;
    ASSERT_TRUE(session.start(QString()));
    finish(session);
    untouched = configText();
    EXPECT_FALSE(language.exists());   // never chosen: no file
  }
  {
    Session session;
    ASSERT_TRUE(session.start(QString()));
    chooseLanguage(session, 0, 2);
    EXPECT_EQ(text::language(), text::Language::Chinese);   // only from the next start
    finish(session);
  }
  EXPECT_EQ(configText(), untouched);
  ASSERT_TRUE(language.open(QIODevice::ReadOnly));
  EXPECT_EQ(language.readAll(), QByteArray("en\n"));
  language.close();
  {
    Session session;
    ASSERT_TRUE(session.start(QString()));
    chooseLanguage(session, 2, 0);
    finish(session);
  }
  EXPECT_FALSE(language.exists());
  EXPECT_EQ(configText(), untouched);
}

// With English chosen the windows are built with the English texts.
TEST_F(SettingsDialogShellTest, EnglishInterfaceShowsTheEnglishTexts) {
  struct Chosen {   // back to Chinese however the test ends
    Chosen() { text::setLanguage(text::Language::English); }
    ~Chosen() { text::setLanguage(text::Language::Chinese); }
  } english;
  {
    Session session;
    ASSERT_TRUE(session.start(QString()));
    const QList<QAction*> menus = session.window()->menuBar()->actions();
    ASSERT_GE(menus.size(), 6);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("File"));
    EXPECT_EQ(menus[3]->text(), QStringLiteral("Filter"));
    bool seen = false;
    onModal([&](QWidget* w) {
      auto* d = dynamic_cast<EnvSettingsDialog*>(w);
      ASSERT_NE(d, nullptr);
      seen = true;
      EXPECT_EQ(d->windowTitle(), QStringLiteral("Environment Settings"));
      EXPECT_EQ(d->optBox(0)->text(), QStringLiteral("Ask before overwriting"));
      EXPECT_EQ(d->language()->itemText(0), QStringLiteral("Automatic"));
    });
    ASSERT_TRUE(session.window()->command(cmd::kEnvSettings));
    EXPECT_TRUE(seen);
    finish(session);
  }
}

TEST_F(SettingsDialogShellTest, AssignedKeysRunTheirActionsAndSurviveARestart) {
  {
    Session session;
    ASSERT_TRUE(session.start(QString()));
    QString note;
    onModal([&](QWidget* w) {
      auto* d = dynamic_cast<KeyAssignDialog*>(w);
      ASSERT_NE(d, nullptr);
      d->selectEntry(5, 1);   // tool options panel
      QTest::keyClick(d, Qt::Key_Q);
      d->selectEntry(2, 2);   // zoom in takes Q away from the panel
      QTest::keyClick(d, Qt::Key_Q);
      note = d->note()->text();
      d->selectEntry(5, 1);
      QTest::keyClick(d, Qt::Key_F6);
      clickOk(d);
    });
    ASSERT_TRUE(session.window()->command(cmd::kKeySettings));
    EXPECT_EQ(note, QStringLiteral("已从「工具选项」移除"));
    QTest::keyClick(session.window(), Qt::Key_Q);
    EXPECT_EQ(session.app().view.zoom(), 200);
    finish(session);
  }
  Session again;
  ASSERT_TRUE(again.start(QString()));
  EXPECT_EQ(again.app().keys.keyFor(2, 2), 0x51);
  EXPECT_EQ(again.app().keys.keyFor(5, 1), 0x75);
  QTest::keyClick(again.window(), Qt::Key_F6);
  EXPECT_FALSE(again.window()->panel(kToolOptionsPanel)->isVisible());
  finish(again);
}

TEST_F(SettingsDialogShellTest, NewDialogRefuses4501AndStaysOpen) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  QString message;
  bool stayedOpen = false;
  onModal([&](QWidget* w) {
    auto* d = dynamic_cast<NewImageDialog*>(w);
    ASSERT_NE(d, nullptr);
    d->widthBox()->stepBy(10000);
    EXPECT_EQ(d->width(), 4500);   // the arrows stop at the limit
    d->widthBox()->setValue(4501);
    onModal([&](QWidget* box) {
      if (auto* m = qobject_cast<QMessageBox*>(box)) message = m->text();
    });
    clickOk(d);
    stayedOpen = d->isVisible();
    d->widthBox()->setValue(64);
    d->heightBox()->setValue(48);
    clickOk(d);
  });
  ASSERT_TRUE(session.window()->command(cmd::kNew));
  EXPECT_EQ(message, QStringLiteral("图像宽度或高度过大"));
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(session.app().document.width(), 64);
  EXPECT_EQ(session.app().document.height(), 48);
  finish(session);
}

TEST_F(SettingsDialogShellTest, PopupsListNumberedEntriesAndQuickSaveIntoARecentFolder) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  QTemporaryDir folder;
  session.app().config.recentDirs[0] = folder.path().toStdString();
  session.app().config.recentFiles[0] = "/a&b.tsd";
  w->rebuildRecentMenu();
  ASSERT_EQ(w->recentMenu()->actions().size(), 1);
  EXPECT_EQ(w->recentMenu()->actions()[0]->text(), QStringLiteral("&0 /a&&b.tsd"));
  QMenu* open = w->filePopup(false);
  w->fillFilePopup(open, false);
  ASSERT_EQ(open->actions().size(), 1);
  QMenu* save = w->filePopup(true);
  w->fillFilePopup(save, true);
  ASSERT_EQ(save->actions().size(), 7);   // five formats, a separator, one folder
  EXPECT_EQ(save->actions()[1]->text(), QStringLiteral("保存为BMP"));
  QString offeredFolder;
  onModal([&](QWidget* modal) {
    auto* d = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(d, nullptr);
    offeredFolder = d->directory().absolutePath();
    d->selectFile(folder.path() + "/quick.tsd");
    static_cast<QDialog*>(d)->accept();
  });
  save->actions()[6]->trigger();
  EXPECT_EQ(offeredFolder, QDir(folder.path()).absolutePath());
  EXPECT_TRUE(QFile::exists(folder.path() + "/quick.tsd"));
  finish(session);
}

TEST_F(SettingsDialogShellTest, PreferredFolderAndFormatAreKept) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  onModal([](QWidget* w) {
    auto* d = dynamic_cast<PreferredSaveDialog*>(w);
    ASSERT_NE(d, nullptr);
    d->folderEdit()->setText(QStringLiteral("/pictures"));
    d->formatBox()->setCurrentIndex(3);
    clickOk(d);
  });
  ASSERT_TRUE(session.window()->command(cmd::kPreferredSaveSettings));
  EXPECT_EQ(session.app().config.fixSaveDir, "/pictures");
  EXPECT_EQ(session.app().config.fixSaveOpt & 0xF, 3);
  finish(session);
  EXPECT_TRUE(configText().contains("FixSaveDir=/pictures\r\n"));
}

TEST_F(SettingsDialogShellTest, StartUpImageIsCentredOnTheCanvasItShows) {
  QFile ini(home.path() + "/config.ini");
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[Env]\r\nDefImgW=240\r\nDefImgH=160\r\n");
  ini.close();
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  const CanvasView& view = session.app().view;
  QWidget* viewport = w->canvas()->viewport();
  // The window manager may size the window after it was shown (maximising):
  // odd and even client sizes in turn must all leave the image centred.
  w->showNormal();
  for (int step = 0; step < 6; ++step) {
    w->resize(560 + step * 13, 420 + step * 7);   // within the offscreen screen
    QTest::qWait(20);
    EXPECT_EQ(view.clientWidth(), viewport->width());
    EXPECT_EQ(view.clientHeight(), viewport->height());
    Point o = view.origin();
    int above = o.y, below = view.clientHeight() - o.y - 160;
    int left = o.x, right = view.clientWidth() - o.x - 240;
    EXPECT_EQ(above, below + (view.clientHeight() - 160) % 2) << above << " above, " << below << " below";
    EXPECT_EQ(left, right + (view.clientWidth() - 240) % 2) << left << " left, " << right << " right";
  }
  // Once the user scrolls, a new size keeps the point at the centre instead.
  session.app().view.setScroll(view.scrollX() + 30, view.scrollY());
  int scrolled = view.scrollX();
  w->resize(w->width() + 20, w->height());
  QTest::qWait(20);
  EXPECT_EQ(view.scrollX(), scrolled);
  finish(session);
}

}  // namespace
}  // namespace tessel
