#pragma once
#include <span>

namespace tessel {

class Application;
class Shell;

struct Command {
  int first, last;                                   // id range; first == last for one command
  bool (*enabled)(const Application& app);           // nullptr: always enabled
  void (*run)(Application& app, Shell& shell, int id);
};
std::span<const Command> layerCommands();   // defined in src/app/commands_layer.cpp

}  // namespace tessel
