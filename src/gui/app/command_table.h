#pragma once
// What the user sees of each command: its menu text, shortcut, status-bar prompt, tool tip
// and toolbar icon; and the menus, pop-ups and toolbars built from them.
#include <vector>

struct CommandInfo {
  int id;
  const char* text;      // menu text, with "&" before the mnemonic
  const char* shortcut;  // QKeySequence text, or nullptr
  const char* prompt;    // status-bar prompt
  const char* tip;       // tool tip
  const char* icon;      // icon resource name under :/icons/, or nullptr
};

const std::vector<CommandInfo>& AllCommands();
const CommandInfo* FindCommand(int id);

struct MenuEntry {
  enum class Kind { Command, Separator, Submenu, RecentFiles, WindowList };
  Kind kind = Kind::Command;
  int id = 0;
  const char* text = nullptr;  // sub-menu title, or a menu-specific text of the command
  std::vector<MenuEntry> children;
};

// Menu 128 (no document open) and menu 129 (a document window active), each a list of
// top-level sub-menus.
const std::vector<MenuEntry>& MenuWithoutDocument();
const std::vector<MenuEntry>& MenuWithDocument();
// The right-click pop-ups by box group: 0 waveform, 1 spectrum, 2 3D spectrum.
const std::vector<MenuEntry>& BoxPopupMenu(int group);

// Toolbar buttons in order; 0 is a separator. kBoxList marks the box-list combo box.
const std::vector<int>& MainToolbarButtons();
const std::vector<int>& GraphMakingToolbarButtons();
const std::vector<int>& GraphSettingToolbarButtons();

// Keys of the view that have no menu entry: arrows shift, Shift+arrows zoom, Ctrl+Up/Down
// move the 3D data focus.
struct Accelerator {
  const char* key;
  int id;
};
const std::vector<Accelerator>& ViewAccelerators();

// Box-list entries by box type; types 9 to 11 have empty texts.
const char* BoxListText(int type);
