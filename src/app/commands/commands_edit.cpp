// The Edit menu: undo and redo.
#include "app/application.h"
#include "app/commands/command_table.h"
#include "app/commands/commands.h"

namespace tessel {
namespace {

void undo(Application& app, Shell&, int) { app.undoStep(false); }
void redo(Application& app, Shell&, int) { app.undoStep(true); }

constexpr Command kRows[] = {
    {cmd::kUndo, cmd::kUndo, nullptr, undo},
    {cmd::kRedo, cmd::kRedo, nullptr, redo},
};

}  // namespace

std::span<const Command> editCommands() { return kRows; }

}  // namespace tessel
