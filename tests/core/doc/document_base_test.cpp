#include "core/doc/document_base.h"

#include <gtest/gtest.h>

namespace {
struct CountingView : DocumentView {
  void OnDocumentUpdate(int hint) override { hints.push_back(hint); }
  std::vector<int> hints;
};
}  // namespace

TEST(DocumentBase, TitleFollowsThePathAndViewsHearOfChanges) {
  CDocumentBase doc;
  doc.SetPathName("/home/user/録音/テスト.wav");
  EXPECT_EQ(doc.Title(), "テスト.wav");
  EXPECT_FALSE(doc.IsModified());
  doc.SetModifiedFlag();
  EXPECT_TRUE(doc.IsModified());

  CountingView a, b;
  doc.AddView(&a);
  doc.AddView(&b);
  doc.AddView(&a);  // once only
  doc.UpdateAllViews(&a, 7);
  EXPECT_TRUE(a.hints.empty());
  EXPECT_EQ(b.hints, std::vector<int>{7});
  doc.RemoveView(&b);
  doc.UpdateAllViews();
  EXPECT_EQ(a.hints, std::vector<int>{0});
  EXPECT_EQ(b.hints.size(), 1u);
}
