#pragma once
// The view's commands: one entry per command, saying what it does (run) and when it is
// enabled and checked. Each subsystem keeps its entries in its own file and hands them over
// through one function declared here; the registry joins them and finds an entry by id.
// The menu texts, prompts and icons of the same commands are in command_table.h.
//
// A new subsystem adds its function below, defines it beside its dialogs, and lists it
// once in command_registry.cpp.
#include <vector>

class CWavView;

struct ViewCommand {
  int id;
  // Carries the command out. Handlers of a range of ids (the box toggles) get the id.
  void (*run)(CWavView& view, int id);
  // Whether the command can be chosen now; none: always.
  bool (*enabled)(CWavView& view, int id) = nullptr;
  // Whether its menu entry and button show a check; none: never.
  bool (*checked)(CWavView& view, int id) = nullptr;
};

// The document's window: closing, saving, printing, copying, the wave file commands.
std::vector<ViewCommand> DocumentCommands();  // gui/app/document_commands.cpp
// Boxes and their axes: box toggles, ranges, zoom, shift, grid, font, 3D settings.
std::vector<ViewCommand> GraphCommands();  // gui/graph/graph_commands.cpp
// What a click into a plot does.
std::vector<ViewCommand> MouseCommands();  // gui/graph/mouse_commands.cpp
// The status bar's name of a mouse operation (CBox::MouseOperation).
const char* MouseOperationName(int operation);
// Display settings: the colour sets and the FFT level dialog.
std::vector<ViewCommand> DisplayCommands();  // gui/graph/display_commands.cpp
// The analysis run: record, play, stop, the whole-range analysis and the settings panel.
std::vector<ViewCommand> RunCommands();  // gui/realtime/run_commands.cpp
// Text files: spectra and samples written as text, samples read from text.
std::vector<ViewCommand> TextioCommands();  // gui/textio/textio_commands.cpp
// Signal processing: the filter, the format conversion, the mixes down to mono, the generator.
std::vector<ViewCommand> DspCommands();  // gui/dsp/dsp_commands.cpp
// Wave editing: the editing dialog.
std::vector<ViewCommand> EditCommands();  // gui/edit/edit_commands.cpp

// The entry of a command, or none when the view does not handle it.
const ViewCommand* FindViewCommand(int id);
// Every entry, in registry order (tests check that no id appears twice).
const std::vector<ViewCommand>& AllViewCommands();
