#include "gui/app/command_registry.h"

#include <algorithm>

const std::vector<ViewCommand>& AllViewCommands() {
  static const std::vector<ViewCommand> all = [] {
    std::vector<ViewCommand> entries;
    for (const auto& group : {
             DocumentCommands(),
             GraphCommands(),
             MouseCommands(),
             DisplayCommands(),
             RunCommands(),
             DspCommands(),
             EditCommands(),
             TextioCommands(),
         }) {
      entries.insert(entries.end(), group.begin(), group.end());
    }
    return entries;
  }();
  return all;
}

const ViewCommand* FindViewCommand(int id) {
  const auto& all = AllViewCommands();
  auto it = std::find_if(all.begin(), all.end(), [id](const ViewCommand& c) { return c.id == id; });
  return it == all.end() ? nullptr : &*it;
}
