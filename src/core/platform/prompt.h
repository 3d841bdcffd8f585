#pragma once
// Message boxes, seen from the core. The core says what it must tell or ask (a title, a
// text with "\n" line breaks, the buttons, an icon) and gets the answer back; who shows it
// is injected: the desktop program shows a QMessageBox, the command-line tool prints one
// line on stderr, the tests record every box.
#include <string>

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptAnswer { Ok, Cancel, Yes, No };

class Prompt {
 public:
  virtual ~Prompt() = default;
  virtual PromptAnswer Show(const std::string& title, const std::string& text,
                            PromptButtons buttons, PromptIcon icon) = 0;
};

// The caption of the application's own message boxes.
inline constexpr const char* kAppCaption = "ｿﾝﾋﾞｭｰ";

// The prompt in use; until one is installed, boxes are printed on stderr as the
// command-line tool does. SetPrompt(nullptr) goes back to that default. The caller keeps
// ownership of the installed prompt.
Prompt& CurrentPrompt();
void SetPrompt(Prompt* prompt);

// Shows a box through the current prompt.
PromptAnswer ShowMessage(const std::string& title, const std::string& text,
                         PromptButtons buttons = PromptButtons::Ok,
                         PromptIcon icon = PromptIcon::None);

// The application's message box: caption kAppCaption.
PromptAnswer AppMessage(const std::string& text, PromptButtons buttons = PromptButtons::Ok,
                        PromptIcon icon = PromptIcon::Warning);

// One box as one line: "TITLE: TEXT" with every line break shown as a space.
std::string PromptLine(const std::string& title, const std::string& text);

// Prints each box on stderr as PromptLine and answers with the default button: Ok for
// Ok boxes, Yes for Yes/No boxes (so batch work goes on where a user would confirm).
class StderrPrompt : public Prompt {
 public:
  PromptAnswer Show(const std::string& title, const std::string& text, PromptButtons buttons,
                    PromptIcon icon) override;
};

// Installs a prompt for the lifetime of the guard and restores the previous one.
class ScopedPrompt {
 public:
  explicit ScopedPrompt(Prompt* prompt);
  ~ScopedPrompt();
  ScopedPrompt(const ScopedPrompt&) = delete;
  ScopedPrompt& operator=(const ScopedPrompt&) = delete;

 private:
  Prompt* previous_;
};
