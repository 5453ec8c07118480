#pragma once
#include <span>

namespace tessel {

class Application;
class Shell;

// One menu command or a range of them: whether it can run now, and its action.
struct Command {
  int first, last;                                   // id range; first == last for one command
  bool (*enabled)(const Application& app);           // nullptr: always enabled
  void (*run)(Application& app, Shell& shell, int id);
};

std::span<const Command> editCommands();        // defined in src/app/commands_edit.cpp
std::span<const Command> selectionCommands();   // defined in src/app/commands_selection.cpp

// The selection and whole-image rows for a window that has no table yet:
// true when id is one of them (and, for run, it was run).
bool selectionCommandAvailable(int id);
bool runSelectionCommand(Application& app, Shell& shell, int id);

}  // namespace tessel
