// The Filter menu's rows of the command table.
#include "app/application.h"
#include "app/command_table.h"
#include "app/filter_commands.h"
#include "app/selection_commands.h"

namespace tessel {

namespace {

bool hasLayer(const Application& app) { return app.document.currentLayer() != nullptr; }

// A floating image is dropped first: the filter then works on it in place,
// where a later drop would otherwise paste the unfiltered pixels back.
void runFilter(Application& app, Shell& shell, int id) {
  if (app.selection.floating()) commitSelection(app);
  runFilterCommand(app, shell, id);
}

constexpr Command kFilterCommands[] = {
    {41000, 41051, hasLayer, runFilter},   // the filter table
    {41800, 41803, hasLayer, runFilter},   // replace-colour variants
    {41810, 41813, hasLayer, runFilter},   // alpha operations
    {41820, 41822, hasLayer, runFilter},   // clouds
};

}  // namespace

std::span<const Command> filterCommands() { return kFilterCommands; }

}  // namespace tessel
