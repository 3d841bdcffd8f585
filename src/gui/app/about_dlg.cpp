#include "gui/app/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/splash_screen.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ｿﾝﾋﾞｭｰのﾊﾞｰｼﾞｮﾝ情報"));
  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/icons/fftM")).pixmap(32, 32));
  auto* text = new QLabel(QStringLiteral("ｿﾝﾋﾞｭｰ  Version " SONVUE_VERSION "\n\nオーディオ波形の解析と編集"), this);
  text->setObjectName(QStringLiteral("version"));
  auto* picture = new QLabel(this);
  picture->setPixmap(SplashPicture().scaledToWidth(320, Qt::SmoothTransformation));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(picture);
  layout->addWidget(buttons);
}
