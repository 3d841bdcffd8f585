#pragma once
// One level of undo per buffer of the editing dialog, kept in temporary files: an undo
// file for each buffer and a scratch file. A file holds a 32-bit marker (0 nothing, 1 a
// state) and, after marker 1, the buffer's state (EditBuffer::StoreState). Undoing saves
// the present state into the scratch file, restores the undo file's state and makes the
// scratch file the new undo file, so a second undo returns to the state before the first.
//
// Undo needs temporary files: when they are off, or one of them fails, nothing is kept and
// undo does nothing (the failure is reported once and turns temporary files off).
#include <array>
#include <string>

class EditBuffer;

class EditUndo {
 public:
  EditUndo() = default;
  ~EditUndo();  // deletes the files
  EditUndo(const EditUndo&) = delete;
  EditUndo& operator=(const EditUndo&) = delete;

  // Creates the three files with the prefix "wed", each holding marker 0. False (after the
  // report) when one cannot be made; false without a report when temporary files are off.
  bool Open();
  bool Available() const { return available_; }
  // Keeps the buffer's present state as its undo state.
  void Save(int buffer, EditBuffer& state);
  // Swaps the buffer's state with its undo state; true when a state was restored.
  bool Undo(int buffer, EditBuffer& state);
  // Whether the buffer has a state to go back to.
  bool HasState(int buffer) const;
  const std::string& Path(int index) const { return paths_[index]; }

 private:
  static constexpr int kScratch = 2;
  bool Write(const std::string& path, EditBuffer* state);
  // Deletes every file, reports the failure and turns undo off.
  void Fail();
  void RemoveAll();

  std::array<std::string, 3> paths_;
  std::array<bool, 2> hasState_{};
  bool available_ = false;
};
