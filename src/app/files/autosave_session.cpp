#include "app/files/autosave_session.h"

#include <cstdlib>
#include <ctime>

#include "app/application.h"
#include "app/shell.h"
#include "io/file.h"
#include "resources/language.h"

namespace tessel {

namespace {

constexpr char kRecoveryCaption[] = "恢复文件";
constexpr char kNoteWritten[] = "已自动保存 ";
constexpr char kNoteFailed[] = "自动保存失败 ";
constexpr char kMsgRecoveryFailed[] = "无法打开恢复文件，它将保留到下次启动。";

int envSeconds() {
  const char* text = std::getenv("TESSEL_AUTOSAVE_SECONDS");
  if (!text || !*text) return -1;
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  return (*end == 0 && v >= 0 && v <= 86400) ? int(v) : -1;
}

std::string clockTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

}  // namespace

std::string recoveryQuestion(const RecoveryEntry& entry) {
  const std::string name = entry.documentPath.empty() ? std::string(text::tr("新建文件")) : entry.documentPath;
  return text::tr("上次运行未正常结束，发现一个自动保存的图像：\n\n文件：") + name + text::tr("\n自动保存时间：") +
         formatLocalTime(entry.written) + text::tr("\n\n是否恢复？\n选择“否”将删除此恢复文件。");
}

bool AutosaveSession::start(const std::string& settingsFolder) {
  const int fromEnv = envSeconds();
  envOverride_ = fromEnv >= 0;
  settingsChanged();
  if (!store_.open(settingsFolder + "/recovery")) return false;
  saver_.setTarget(store_.documentPath());
  if (app_.files) {
    app_.files->onSaved = [this] { documentSaved(); };
    app_.files->onReplaced = [this] { documentReplaced(); };
  }
  return true;
}

void AutosaveSession::setIntervalSeconds(int seconds) {
  intervalSeconds_ = seconds < 0 ? 0 : seconds;
  due_ = Clock::now() + std::chrono::seconds(intervalSeconds_);
}

void AutosaveSession::settingsChanged() {
  const int fromEnv = envSeconds();
  setIntervalSeconds(envOverride_ && fromEnv >= 0 ? fromEnv : app_.config.autosaveMin * 60);
}

bool AutosaveSession::tick(Clock::time_point now) {
  if (!saver_.running()) {
    if (intervalSeconds_ <= 0 || now < due_ || !store_.isOpen()) return false;
    due_ = now + std::chrono::seconds(intervalSeconds_);
    if (!app_.files || !app_.files->modified()) return false;
    if (!saver_.begin(app_.changes.count())) return false;
  }
  const bool dragging = app_.painting.input.dragging();
  switch (saver_.step(app_.document, app_.changes.count(), dragging)) {
    case Autosaver::Step::Written: {
      const std::time_t t = std::time(nullptr);
      store_.writeRecord(app_.files->currentPath(), app_.files->windowTitle(), int64_t(t));
      note_ = text::tr(kNoteWritten) + clockTime(t);
      failed_ = false;
      return false;
    }
    case Autosaver::Step::Failed:
      note_ = text::tr(kNoteFailed) + clockTime(std::time(nullptr));
      failed_ = true;
      return false;
    case Autosaver::Step::Idle: return false;
    default: return true;
  }
}

void AutosaveSession::documentSaved() {
  saver_.cancel();
  store_.removeFiles();
  // Layers saved only flattened still go into the next recovery file.
  if (!app_.files || !app_.files->layersUnsaved()) saver_.markWritten(app_.changes.count());
}

void AutosaveSession::documentReplaced() {
  saver_.dropCopy();   // the old picture's copy may be large
  store_.removeFiles();
  saver_.markWritten(app_.changes.count());
  due_ = Clock::now() + std::chrono::seconds(intervalSeconds_);
}

void AutosaveSession::shutdown() {
  saver_.cancel();
  store_.close();
}

int AutosaveSession::offerRecovery(Shell& shell) {
  int recovered = 0;
  for (const RecoveryEntry& entry : findOrphans(store_.folder())) {
    if (!shell.askYesNo(recoveryQuestion(entry), text::tr(kRecoveryCaption), MessageIcon::Question)) {
      discardOrphan(entry);
      continue;
    }
    if (!app_.files || !app_.files->confirmUnsavedChanges()) continue;
    if (!app_.files->openRecovered(entry.file, entry.documentPath)) {
      shell.showMessage(text::tr(kMsgRecoveryFailed), text::tr(kRecoveryCaption), MessageIcon::Warning);
      continue;
    }
    // The file stays on disk as this instance's until the document is saved.
    if (adoptOrphan(entry, store_)) {
      store_.writeRecord(entry.documentPath, app_.files->windowTitle(), entry.written);
      saver_.markWritten(app_.changes.count());
    }
    ++recovered;
  }
  return recovered;
}

}  // namespace tessel
