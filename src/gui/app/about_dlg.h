#pragma once
// The version information box: the program's icon, its version 2.20, a picture, OK.
#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
