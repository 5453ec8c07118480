// The File menu: new, open, save and their recent lists, and exit.
#include "app/application.h"
#include "app/command_table.h"
#include "app/commands.h"

namespace tessel {
namespace {

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
    {cmd::kExit, cmd::kExit, nullptr, exitProgram},
};

}  // namespace

std::span<const Command> fileCommands() { return kRows; }

}  // namespace tessel
