#include "core/platform/prompt.h"

#include <gtest/gtest.h>

#include "support/recording_prompt.h"

TEST(PromptLine, ShowsLineBreaksAsSpaces) {
  EXPECT_EQ(PromptLine("error", "error7 "), "error: error7 ");
  EXPECT_EQ(PromptLine("ｿﾝﾋﾞｭｰ", "一行目\n二行目\r\n三"), "ｿﾝﾋﾞｭｰ: 一行目 二行目  三");
}

TEST(ScopedPrompt, RestoresThePreviousPrompt) {
  RecordingPrompt outer;
  {
    RecordingPrompt inner(PromptAnswer::No);
    EXPECT_EQ(ShowMessage("t", "inner", PromptButtons::YesNo), PromptAnswer::No);
  }
  AppMessage("outer");
  ASSERT_EQ(outer.boxes.size(), 1u);
  EXPECT_EQ(outer.boxes[0].title, kAppCaption);
  EXPECT_EQ(outer.boxes[0].text, "outer");
}
