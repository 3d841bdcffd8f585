#pragma once
// The desktop program's side of the core's platform interfaces: message boxes as
// QMessageBox, event pumping and the wait cursor.
#include "core/platform/prompt.h"

class QWidget;

class QtPrompt : public Prompt {
 public:
  PromptAnswer Show(const std::string& title, const std::string& text, PromptButtons buttons,
                    PromptIcon icon) override;
};

// Installs QtPrompt and the Qt hooks for the lifetime of the process.
void InstallQtPlatform();

// Qt's own texts (file, print, colour and font dialogs, Yes/No buttons) in Japanese, from
// the translations installed with Qt; false when they are not installed (Qt then speaks
// English).
bool InstallJapaneseTranslations();
