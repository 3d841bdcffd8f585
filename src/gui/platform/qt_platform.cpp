#include "gui/platform/qt_platform.h"

#include <QApplication>
#include <QCursor>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMessageBox>

#include "core/platform/hooks.h"
#include "render/qt_convert.h"

PromptAnswer QtPrompt::Show(const std::string& title, const std::string& text,
                            PromptButtons buttons, PromptIcon icon) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(FromUtf8(title));
  box.setText(FromUtf8(text));
  switch (icon) {
    case PromptIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
    case PromptIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case PromptIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
  }
  switch (buttons) {
    case PromptButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case PromptButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case PromptButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case PromptButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Cancel: return PromptAnswer::Cancel;
    default: return PromptAnswer::Ok;
  }
}

void InstallQtPlatform() {
  static QtPrompt prompt;
  SetPrompt(&prompt);
  PlatformHooks hooks;
  hooks.pumpMessages = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
  hooks.beginWaitCursor = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
  hooks.endWaitCursor = [] { QApplication::restoreOverrideCursor(); };
  SetPlatformHooks(std::move(hooks));
}

bool InstallJapaneseTranslations() {
  auto* app = QCoreApplication::instance();
  if (!app) return false;
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  bool any = false;
  for (const char* name : {"qtbase_ja", "qtmultimedia_ja"}) {
    auto* translator = new QTranslator(app);
    if (translator->load(QString::fromLatin1(name), folder)) {
      QCoreApplication::installTranslator(translator);
      any = true;
    } else {
      delete translator;
    }
  }
  return any;
}
