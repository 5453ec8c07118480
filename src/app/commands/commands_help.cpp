// The Help menu: the help file. The about box is the window's own.
#include "app/application.h"
#include "app/commands/command_table.h"
#include "app/commands/commands.h"
#include "resources/strings.h"
#include "resources/language.h"
#include "app/models/manual.h"

namespace tessel {
namespace {

void openHelp(Application&, Shell& shell, int) {
  if (!shell.openProgramFile(helpFileFor(text::language())))
    shell.showMessage(text::tr(text::kHelpMissing), std::string(), MessageIcon::Warning);
}

constexpr Command kRows[] = {
    {cmd::kHelp, cmd::kHelp, nullptr, openHelp},
};

}  // namespace

std::span<const Command> helpCommands() { return kRows; }

}  // namespace tessel
