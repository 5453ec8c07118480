// The Filter menu's rows of the command table.
#include "app/application.h"
#include "app/commands/command_ids.h"
#include "app/commands/command_table.h"
#include "app/ops/filter_ops.h"
#include "app/ops/selection_actions.h"

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
    {cmd::kFilterFirst, cmd::kFilterLast, hasLayer, runFilter},   // the filter table
    {cmd::kReplaceColourFirst, cmd::kReplaceColourLast, hasLayer, runFilter},
    {cmd::kAlphaOperationFirst, cmd::kAlphaOperationLast, hasLayer, runFilter},
    {cmd::kCloudFirst, cmd::kCloudLast, hasLayer, runFilter},
};

}  // namespace

std::span<const Command> filterCommands() { return kFilterCommands; }

}  // namespace tessel
