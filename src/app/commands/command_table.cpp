#include "app/commands/command_table.h"

#include "app/application.h"

namespace tessel {

const Command* findCommand(int id) {
  using Rows = std::span<const Command> (*)();
  static constexpr Rows kMenus[] = {fileCommands,   editCommands, selectionCommands, layerCommands,
                                    filterCommands, viewCommands,  helpCommands};
  for (Rows rows : kMenus) {
    for (const Command& c : rows()) {
      if (id >= c.first && id <= c.last) return &c;
    }
  }
  return nullptr;
}

bool commandEnabled(const Application& app, int id) {
  const Command* c = findCommand(id);
  return c && (!c->enabled || c->enabled(app));
}

bool commandCheckable(int id) {
  const Command* c = findCommand(id);
  return c && c->checked;
}

bool commandChecked(const Application& app, int id) {
  const Command* c = findCommand(id);
  return c && c->checked && c->checked(app);
}

bool runCommand(Application& app, Shell& shell, int id) {
  const Command* c = findCommand(id);
  if (!c || (c->enabled && !c->enabled(app))) return false;
  c->run(app, shell, id);
  // Layers a command worked on besides the current one go back to tiles.
  app.document.parkIdleLayers();
  return true;
}

}  // namespace tessel
