#pragma once
// The document side of the document/view pattern: a path and a title, the modified flag,
// and the views attached to it, which are told when the document changed. Views are not
// owned; a view detaches itself before it goes away.
#include <algorithm>
#include <string>
#include <vector>

class DocumentView {
 public:
  virtual ~DocumentView() = default;
  // The document changed; hint 0 means everything.
  virtual void OnDocumentUpdate(int hint) = 0;
};

class CDocumentBase {
 public:
  virtual ~CDocumentBase() = default;

  const std::string& PathName() const { return path_; }
  const std::string& Title() const { return title_; }
  // Sets the path and, from its file name part, the title.
  void SetPathName(const std::string& path);
  void SetTitle(const std::string& title) { title_ = title; }

  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified = true) { modified_ = modified; }

  void AddView(DocumentView* view);
  void RemoveView(DocumentView* view);
  const std::vector<DocumentView*>& Views() const { return views_; }
  // Tells every attached view except `sender`.
  void UpdateAllViews(DocumentView* sender = nullptr, int hint = 0);

 private:
  std::string path_;
  std::string title_;
  bool modified_ = false;
  std::vector<DocumentView*> views_;
};

// The file name part of a path (after the last '/').
std::string FileNamePart(const std::string& path);
