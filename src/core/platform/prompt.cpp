#include "core/platform/prompt.h"

#include <cstdio>

namespace {
StderrPrompt g_stderrPrompt;
Prompt* g_prompt = nullptr;
}  // namespace

Prompt& CurrentPrompt() { return g_prompt ? *g_prompt : g_stderrPrompt; }

void SetPrompt(Prompt* prompt) { g_prompt = prompt; }

PromptAnswer ShowMessage(const std::string& title, const std::string& text,
                         PromptButtons buttons, PromptIcon icon) {
  return CurrentPrompt().Show(title, text, buttons, icon);
}

PromptAnswer AppMessage(const std::string& text, PromptButtons buttons, PromptIcon icon) {
  return ShowMessage(kAppCaption, text, buttons, icon);
}

std::string PromptLine(const std::string& title, const std::string& text) {
  std::string line = title + ": ";
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  return line;
}

PromptAnswer StderrPrompt::Show(const std::string& title, const std::string& text,
                                PromptButtons buttons, PromptIcon) {
  std::fprintf(stderr, "%s\n", PromptLine(title, text).c_str());
  std::fflush(stderr);
  switch (buttons) {
    case PromptButtons::Ok:
    case PromptButtons::OkCancel:
      return PromptAnswer::Ok;
    case PromptButtons::YesNo:
    case PromptButtons::YesNoCancel:
      return PromptAnswer::Yes;
  }
  return PromptAnswer::Ok;
}

ScopedPrompt::ScopedPrompt(Prompt* prompt) : previous_(g_prompt) { g_prompt = prompt; }
ScopedPrompt::~ScopedPrompt() { g_prompt = previous_; }
