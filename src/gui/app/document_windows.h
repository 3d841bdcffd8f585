#pragma once
// What a view asks of the application for its document as a whole: closing it (with the
// question whether to save changes), saving it (under its name or a new one), and opening
// another window on it.
class CWavDoc;

class DocumentWindows {
 public:
  virtual ~DocumentWindows() = default;
  virtual void CloseDocument(CWavDoc& doc) = 0;
  virtual bool SaveDocument(CWavDoc& doc, bool askName) = 0;
  virtual void NewWindow(CWavDoc& doc) = 0;
};
