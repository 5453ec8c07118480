// The File menu: new, open, save and their recent lists, and exit.
#include "app/application.h"
#include "app/commands/command_table.h"
#include "app/commands/commands.h"
#include "app/models/env_settings.h"
#include "app/ops/scan_ops.h"
#include "app/shell.h"

namespace tessel {
namespace {

constexpr int kLastSaveFormat = 6;   // tsd, psd, bmp, png, jpg, gif, vrw

// The open/save flow exists once a shell is attached.
bool hasFiles(const Application& app) { return app.files != nullptr; }

void newImage(Application& app, Shell&, int) { app.files->newImage(); }
void open(Application& app, Shell&, int) { app.files->open(); }
void openFromClipboard(Application& app, Shell&, int) { app.files->openFromClipboard(); }
void save(Application& app, Shell&, int) { app.files->save(); }
void saveAs(Application& app, Shell&, int) { app.files->saveAs(); }
void savePreferred(Application& app, Shell&, int) { app.files->savePreferred(); }
void openRecentFile(Application& app, Shell&, int id) {
  app.files->openRecentFile(id - cmd::kRecentFileFirst);
}
void openFromRecentFolder(Application& app, Shell&, int id) {
  app.files->openFromRecentFolder(id - cmd::kRecentFolderFirst);
}
void quickSave(Application& app, Shell&, int id) {
  app.files->quickSave(id - cmd::kQuickSaveFirst + 1);
}
// The settings dialogs edit copies; OK hands them over.
void envSettings(Application& app, Shell& shell, int) {
  EnvSettings env = envSettingsOf(app.config);
  env.language = app.language;
  if (shell.askEnvSettings(env)) applyEnvSettings(app, env);
}
void keySettings(Application& app, Shell& shell, int) {
  KeyTable keys = app.keys;
  if (shell.askKeyAssignments(keys)) app.keys = keys;
}
void preferredSaveSettings(Application& app, Shell& shell, int) {
  std::string folder = app.config.fixSaveDir;
  int format = app.config.fixSaveOpt & 0xF;
  if (format > kLastSaveFormat) format = 0;
  if (!shell.askPreferredSave(folder, format) || format < 0 || format > kLastSaveFormat) return;
  app.config.fixSaveDir = folder;
  app.config.fixSaveOpt = (app.config.fixSaveOpt & ~0xF) | format;
}
void scanImage(Application& app, Shell& shell, int) { acquireScan(app, shell); }
void chooseScanner(Application& app, Shell& shell, int) { selectScanner(app, shell); }
// The window asks about unsaved changes as it closes.
void exitProgram(Application&, Shell& shell, int) { shell.requestClose(); }

constexpr Command kRows[] = {
    {cmd::kNew, cmd::kNew, hasFiles, newImage},
    {cmd::kOpen, cmd::kOpen, hasFiles, open},
    {cmd::kOpenFromClipboard, cmd::kOpenFromClipboard, hasFiles, openFromClipboard},
    {cmd::kSave, cmd::kSave, hasFiles, save},
    {cmd::kSaveAs, cmd::kSaveAs, hasFiles, saveAs},
    {cmd::kSavePreferred, cmd::kSavePreferred, hasFiles, savePreferred},
    {cmd::kRecentFileFirst, cmd::kRecentFileLast, hasFiles, openRecentFile},
    {cmd::kRecentFolderFirst, cmd::kRecentFolderLast, hasFiles, openFromRecentFolder},
    {cmd::kQuickSaveFirst, cmd::kQuickSaveLast, hasFiles, quickSave},
    {cmd::kScanAcquire, cmd::kScanAcquire, scannerEnabled, scanImage},
    {cmd::kScanSelectDevice, cmd::kScanSelectDevice, scannerEnabled, chooseScanner},
    {cmd::kExit, cmd::kExit, nullptr, exitProgram},
    {cmd::kEnvSettings, cmd::kEnvSettings, nullptr, envSettings},
    {cmd::kKeySettings, cmd::kKeySettings, nullptr, keySettings},
    {cmd::kPreferredSaveSettings, cmd::kPreferredSaveSettings, nullptr, preferredSaveSettings},
};

}  // namespace

std::span<const Command> fileCommands() { return kRows; }

}  // namespace tessel
