#include "gui/textio/text_file_dialog.h"

#include <QFileDialog>

QString BrowseTextFile(QWidget* parent, bool forWriting, const QString& current) {
  QFileDialog dialog(parent, forWriting ? QStringLiteral("名前を付けて保存") : QStringLiteral("ファイルを開く"));
  dialog.setAcceptMode(forWriting ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(forWriting ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.setNameFilters({QStringLiteral("Text Files(*.txt)"), QStringLiteral("All Files(*.*)")});
  if (!current.isEmpty()) dialog.selectFile(current);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}
