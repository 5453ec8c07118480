#pragma once
#include <span>

namespace tessel {

class Application;
class Shell;

// One row of the menu command table: an identifier or a range of them, when
// the command can run, and what it does to the application and its shell.
// A new menu command is one row in the file of its menu and one function.
struct Command {
  int first, last;                                // first == last for one command
  bool (*enabled)(const Application& app);        // nullptr: always enabled
  void (*run)(Application& app, Shell& shell, int id);
  bool (*checked)(const Application& app) = nullptr;   // the menu's check mark, if it shows one
};

// The rows by menu (commands_<menu>.cpp).
std::span<const Command> fileCommands();
std::span<const Command> editCommands();
std::span<const Command> selectionCommands();   // the Select menu, clipboard and whole-image rows
std::span<const Command> layerCommands();
std::span<const Command> filterCommands();
std::span<const Command> viewCommands();
std::span<const Command> helpCommands();

// The row whose range holds id, or null.
const Command* findCommand(int id);
// False for identifiers without a row.
bool commandEnabled(const Application& app, int id);
// Whether the command's menu item shows a check mark, and whether it is on.
bool commandCheckable(int id);
bool commandChecked(const Application& app, int id);
// Runs the row's action; false when there is no row or it is disabled.
bool runCommand(Application& app, Shell& shell, int id);

}  // namespace tessel
