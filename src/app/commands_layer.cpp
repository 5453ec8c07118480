#include "app/command_table.h"

namespace tessel {

std::span<const Command> layerCommands() { return {}; }

}  // namespace tessel
