#include "core/doc/document_base.h"

std::string FileNamePart(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CDocumentBase::SetPathName(const std::string& path) {
  path_ = path;
  title_ = FileNamePart(path);
}

void CDocumentBase::AddView(DocumentView* view) {
  if (view && std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CDocumentBase::RemoveView(DocumentView* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CDocumentBase::UpdateAllViews(DocumentView* sender, int hint) {
  // A view may detach itself while being told; walk a copy.
  std::vector<DocumentView*> views = views_;
  for (DocumentView* v : views) {
    if (v != sender) v->OnDocumentUpdate(hint);
  }
}
