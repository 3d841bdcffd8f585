#pragma once
// A prompt for tests: records every box and answers with a chosen answer.
#include <string>
#include <vector>

#include "core/platform/prompt.h"

class RecordingPrompt : public Prompt {
 public:
  struct Box {
    std::string title;
    std::string text;
    PromptButtons buttons;
  };

  explicit RecordingPrompt(PromptAnswer answer = PromptAnswer::Ok) : answer_(answer), scope_(this) {}

  PromptAnswer Show(const std::string& title, const std::string& text, PromptButtons buttons,
                    PromptIcon) override {
    boxes.push_back({title, text, buttons});
    return answer_;
  }

  // The texts of the boxes shown so far, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const Box& b : boxes) t.push_back(b.text);
    return t;
  }

  std::vector<Box> boxes;

 private:
  PromptAnswer answer_;
  ScopedPrompt scope_;
};
