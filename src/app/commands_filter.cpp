// The Filter menu.
#include "app/command_table.h"

namespace tessel {

std::span<const Command> filterCommands() { return {}; }

}  // namespace tessel
