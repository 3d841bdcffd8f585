#pragma once
// Where the main window sends commands: the active document window's view first, then the
// main window and the application. A target says which commands it handles, carries them
// out, and tells whether each is enabled and checked (asked before a menu opens and while
// the program is idle, so toolbar buttons follow).
struct CommandState {
  bool enabled = true;
  bool checked = false;
};

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  virtual bool HandlesCommand(int id) const = 0;
  virtual void OnCommand(int id) = 0;
  virtual void OnUpdateCommand(int id, CommandState& state) = 0;
  // Called while the program is idle (the box list follows the current box).
  virtual void OnIdle() {}
};
