#include "gui/app/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWindowStateChangeEvent>

#include "gui/app/about_dlg.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/command_table.h"
#include "core/graph/box.h"
#include "gui/app/file_dialog_plan.h"
#include "gui/app/shared_printer.h"

namespace {

constexpr int kRecentFileCount = 4;
constexpr int kIdleUpdateMs = 200;
constexpr int kMinChildWidth = 320;   // a document window is never placed smaller than this
constexpr int kMinChildHeight = 240;

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("ｿﾝﾋﾞｭｰ"));
  setAcceptDrops(true);
  mdi_ = new QMdiArea(this);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

  CreateActions();
  mainBar_ = BuildToolbar(QStringLiteral("ﾂｰﾙ ﾊﾞｰ"), MainToolbarButtons(), Qt::TopToolBarArea);
  addToolBarBreak(Qt::TopToolBarArea);
  settingBar_ = BuildToolbar(QStringLiteral("ｸﾞﾗﾌ設定ﾂｰﾙﾊﾞｰ"), GraphSettingToolbarButtons(), Qt::TopToolBarArea);
  makingBar_ = BuildToolbar(QStringLiteral("ｸﾞﾗﾌ作成ﾂｰﾙﾊﾞｰ"), GraphMakingToolbarButtons(), Qt::LeftToolBarArea);
  BuildMenus();

  QStatusBar* bar = statusBar();
  mouseOperation_ = new QLabel(this);
  mouseOperation_->setObjectName(QStringLiteral("mouseOperation"));
  mouseOperation_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  bar->addPermanentWidget(mouseOperation_);
  const char* names[4] = {"かな", "CAP", "NUM", "SCRL"};
  for (int i = 0; i < 4; ++i) {
    indicators_[i] = new QLabel(this);
    indicators_[i]->setObjectName(QString::fromUtf8(names[i]));
    indicators_[i]->setMinimumWidth(fontMetrics().horizontalAdvance(QString::fromUtf8(names[i])) + 8);
    indicators_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addPermanentWidget(indicators_[i]);
  }
  bar->showMessage(QStringLiteral("レディ"));

  idle_ = new QTimer(this);
  idle_->setInterval(kIdleUpdateMs);
  connect(idle_, &QTimer::timeout, this, &CMainFrame::UpdateAllCommands);
  idle_->start();

  resize(900, 650);
  UpdateAllCommands();
}

CMainFrame::~CMainFrame() {
  // The document windows go with the MDI area; their activation must not reach a frame
  // whose bars are already gone.
  disconnect(mdi_, nullptr, this, nullptr);
  idle_->stop();
}

QAction* CMainFrame::Action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions() {
  for (const CommandInfo& c : AllCommands()) {
    auto* a = new QAction(QString::fromUtf8(c.text), this);
    a->setData(c.id);
    a->setStatusTip(QString::fromUtf8(c.prompt));
    a->setToolTip(QString::fromUtf8(c.tip));
    if (c.shortcut) a->setShortcut(QKeySequence(QString::fromUtf8(c.shortcut)));
    if (c.icon) a->setIcon(QIcon(QStringLiteral(":/icons/") + QString::fromUtf8(c.icon)));
    a->setIconVisibleInMenu(false);
    connect(a, &QAction::triggered, this, [this, id = c.id] { RunCommand(id); });
    addAction(a);  // shortcuts work wherever the focus is inside the main window
    actions_[c.id] = a;
  }
  // The mouse operations are one choice of three.
  auto* mouse = new QActionGroup(this);
  for (int id : {cmd::kMouseMark, cmd::kMouseZoom, cmd::kMouseSlice}) {
    if (QAction* a = Action(id)) {
      a->setCheckable(true);
      mouse->addAction(a);
    }
  }
  // The view's keys without menu entries: they act on the document windows only, so that
  // arrow keys keep working in the box list and in dialogs.
  for (const Accelerator& acc : ViewAccelerators()) {
    auto* a = new QAction(this);
    a->setShortcut(QKeySequence(QString::fromUtf8(acc.key)));
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(a, &QAction::triggered, this, [this, id = acc.id] { RunCommand(id); });
    mdi_->addAction(a);
  }
}

QMenu* CMainFrame::BuildMenu(const MenuEntry& entry, QWidget* parent) {
  auto* menu = new QMenu(QString::fromUtf8(entry.text), parent);
  for (const MenuEntry& e : entry.children) {
    switch (e.kind) {
      case MenuEntry::Kind::Separator: menu->addSeparator(); break;
      case MenuEntry::Kind::Submenu: menu->addMenu(BuildMenu(e, menu)); break;
      case MenuEntry::Kind::WindowList: {
        QAction* marker = menu->addSeparator();
        marker->setObjectName(QStringLiteral("windowList"));
        break;
      }
      case MenuEntry::Kind::RecentFiles: {
        // The recent files take this place in the menu; refreshed before it opens.
        QAction* marker = menu->addSeparator();
        marker->setObjectName(QStringLiteral("recentFiles"));
        marker->setVisible(false);
        break;
      }
      case MenuEntry::Kind::Command:
        if (e.text) {
          auto* a = new QAction(QString::fromUtf8(e.text), menu);
          a->setData(e.id);
          if (QAction* base = Action(e.id)) a->setStatusTip(base->statusTip());
          connect(a, &QAction::triggered, this, [this, id = e.id] { RunCommand(id); });
          menuOnlyActions_.emplace(e.id, a);
          menu->addAction(a);
        } else if (QAction* a = Action(e.id)) {
          menu->addAction(a);
        }
        break;
    }
  }
  connect(menu, &QMenu::aboutToShow, this, [this, menu] {
    FillRecentMenu(menu);
    FillWindowMenu(menu);
    for (QAction* a : menu->actions()) {
      if (a->data().isValid()) UpdateCommand(a->data().toInt());
    }
  });
  return menu;
}

void CMainFrame::FillWindowMenu(QMenu* menu) {
  QAction* marker = nullptr;
  for (QAction* a : menu->actions()) {
    if (a->objectName() == QLatin1String("windowList")) marker = a;
    if (a->property("windowEntry").toBool()) {
      menu->removeAction(a);
      a->deleteLater();
    }
  }
  if (!marker) return;
  const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
  marker->setVisible(!windows.isEmpty());
  for (int i = 0; i < windows.size(); ++i) {
    QMdiSubWindow* w = windows[i];
    const QString text = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(w->windowTitle())
                               : QStringLiteral("%1 %2").arg(i + 1).arg(w->windowTitle());
    auto* a = new QAction(text, menu);
    a->setProperty("windowEntry", true);
    a->setCheckable(true);
    a->setChecked(w == mdi_->activeSubWindow());
    connect(a, &QAction::triggered, this, [this, w] { mdi_->setActiveSubWindow(w); });
    menu->addAction(a);
  }
}

void CMainFrame::CascadeWindows() {
  // Each window two thirds of the area, one title bar further down and right than the last.
  const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
  const QSize area = mdi_->viewport()->size();
  const QSize size(std::max(kMinChildWidth, area.width() * 2 / 3), std::max(kMinChildHeight, area.height() * 2 / 3));
  const int step = std::max(20, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
  const int room = std::max(1, std::min(area.width() - size.width(), area.height() - size.height()) / step + 1);
  for (int i = 0; i < windows.size(); ++i) {
    QMdiSubWindow* w = windows[i];
    if (w->isMinimized() || w->isMaximized()) w->showNormal();
    const int k = i % room;
    w->setGeometry(QRect(QPoint(k * step, k * step), size));
    w->raise();
  }
  if (QMdiSubWindow* active = mdi_->activeSubWindow()) active->raise();
}

void CMainFrame::PlaceNewWindow(QMdiSubWindow* window) {
  // Inside the area, stepped from the windows already open.
  const QSize area = mdi_->viewport()->size();
  const QSize size(std::max(kMinChildWidth, std::min(area.width() * 4 / 5, area.width() - 20)),
                   std::max(kMinChildHeight, std::min(area.height() * 4 / 5, area.height() - 20)));
  const int step = std::max(20, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
  const int room = std::max(1, std::min(area.width() - size.width(), area.height() - size.height()) / step + 1);
  const int k = static_cast<int>(mdi_->subWindowList().size() - 1) % room;
  window->setGeometry(QRect(QPoint(k * step, k * step), size));
}

void CMainFrame::FillRecentMenu(QMenu* menu) {
  QAction* marker = nullptr;
  for (QAction* a : menu->actions()) {
    if (a->objectName() == QLatin1String("recentFiles")) marker = a;
    if (a->property("recentFile").isValid()) {
      menu->removeAction(a);
      a->deleteLater();
    }
  }
  if (!marker) return;
  QList<QAction*> items;
  if (recent_.isEmpty()) {
    auto* none = new QAction(QStringLiteral("最新のﾌｧｲﾙ"), menu);
    none->setEnabled(false);
    none->setProperty("recentFile", QString());
    items.append(none);
  }
  for (int i = 0; i < recent_.size(); ++i) {
    auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(recent_[i]), menu);
    a->setProperty("recentFile", recent_[i]);
    a->setStatusTip(QStringLiteral("このドキュメントを開きます"));
    connect(a, &QAction::triggered, this, [this, path = recent_[i]] { OpenFile(path); });
    items.append(a);
  }
  // Insert after the marker, before whatever follows it.
  QList<QAction*> all = menu->actions();
  int at = static_cast<int>(all.indexOf(marker));
  QAction* before = at + 1 < all.size() ? all[at + 1] : nullptr;
  for (QAction* a : items) menu->insertAction(before, a);
}

void CMainFrame::BuildMenus() {
  menuBar()->clear();
  menuOnlyActions_.clear();
  const std::vector<MenuEntry>& menus = documentMenus_ ? MenuWithDocument() : MenuWithoutDocument();
  for (const MenuEntry& m : menus) menuBar()->addMenu(BuildMenu(m, menuBar()));
}

QToolBar* CMainFrame::BuildToolbar(const QString& name, const std::vector<int>& buttons,
                                   Qt::ToolBarArea area) {
  auto* bar = new QToolBar(name, this);
  bar->setObjectName(name);
  bar->setIconSize(QSize(16, 16));
  for (int id : buttons) {
    if (id == 0) {
      bar->addSeparator();
    } else if (id == cmd::kBoxList) {
      boxList_ = new QComboBox(bar);
      boxList_->setObjectName(QStringLiteral("boxList"));
      boxList_->setFixedWidth(180);
      boxList_->setMaxVisibleItems(8);
      boxList_->setFocusPolicy(Qt::TabFocus);
      connect(boxList_, &QComboBox::activated, this, [this](int index) {
        emit BoxListChosen(boxList_->itemData(index).toInt());
      });
      bar->addWidget(boxList_);
    } else if (QAction* a = Action(id)) {
      bar->addAction(a);
    }
  }
  addToolBar(area, bar);
  return bar;
}

CommandTarget* CMainFrame::ActiveTarget() const {
  QMdiSubWindow* sub = mdi_->activeSubWindow();
  return sub ? dynamic_cast<CommandTarget*>(sub->widget()) : nullptr;
}

bool CMainFrame::HandlesOwnCommand(int id) const {
  switch (id) {
    case cmd::kFileNew:
    case cmd::kFileOpen:
    case cmd::kFilePrintSetup:
    case cmd::kWindowArrange:
    case cmd::kWindowCascade:
    case cmd::kWindowTile:
    case cmd::kAppAbout:
    case cmd::kAppExit:
    case cmd::kViewToolbar:
    case cmd::kViewStatusBar:
    case cmd::kGraphMakingBar:
    case cmd::kGraphSettingBar:
      return true;
    default:
      return false;
  }
}

void CMainFrame::RunCommand(int id) {
  if (CommandTarget* t = ActiveTarget(); t && t->HandlesCommand(id)) {
    CommandState s;
    t->OnUpdateCommand(id, s);
    if (s.enabled) t->OnCommand(id);
  } else if (HandlesOwnCommand(id)) {
    OnOwnCommand(id);
  }
  UpdateAllCommands();
}

CommandState CMainFrame::UpdateCommand(int id) {
  CommandState s;
  if (CommandTarget* t = ActiveTarget(); t && t->HandlesCommand(id)) {
    t->OnUpdateCommand(id, s);
  } else if (HandlesOwnCommand(id)) {
    OnUpdateOwnCommand(id, s);
  } else {
    s.enabled = false;  // nothing carries it out (yet)
  }
  auto show = [&s](QAction* a) {
    a->setEnabled(s.enabled);
    a->setCheckable(s.checked || a->isCheckable());
    a->setChecked(s.checked);
  };
  if (QAction* a = Action(id)) show(a);
  auto range = menuOnlyActions_.equal_range(id);
  for (auto it = range.first; it != range.second; ++it) show(it->second);
  return s;
}

void CMainFrame::ShowStatus(const QString& text) { statusBar()->showMessage(text); }

void CMainFrame::UpdateAllCommands() {
  for (const auto& [id, action] : actions_) UpdateCommand(id);
  // Without a document window the box list has nothing to show.
  if (!ActiveTarget() && boxList_) UpdateBoxList(-1, {});
  mouseOperation_->setText(QString::fromUtf8(MouseOperationName(CBox::GetMouseOperation())));
  if (CommandTarget* t = ActiveTarget(); t && !(boxList_ && boxList_->view()->isVisible())) t->OnIdle();
}

void CMainFrame::OnOwnCommand(int id) {
  switch (id) {
    case cmd::kFileNew:
      if (new_) new_();
      break;
    case cmd::kFileOpen: OnFileOpen(); break;
    case cmd::kFilePrintSetup: {
      QPrintDialog dlg(&SharedPrinter(), this);
      dlg.setWindowTitle(QStringLiteral("ﾌﾟﾘﾝﾀの設定"));
      dlg.setOptions(QAbstractPrintDialog::PrintToFile);
      dlg.exec();
      break;
    }
    case cmd::kWindowArrange: mdi_->tileSubWindows(); break;
    case cmd::kWindowCascade: CascadeWindows(); break;
    case cmd::kWindowTile: mdi_->tileSubWindows(); break;
    case cmd::kAppAbout: OnAbout(); break;
    case cmd::kAppExit: close(); break;
    case cmd::kViewToolbar: mainBar_->setVisible(!mainBar_->isVisible()); break;
    case cmd::kViewStatusBar: statusBar()->setVisible(!statusBar()->isVisible()); break;
    case cmd::kGraphMakingBar: makingBar_->setVisible(!makingBar_->isVisible()); break;
    case cmd::kGraphSettingBar: settingBar_->setVisible(!settingBar_->isVisible()); break;
    default: break;
  }
}

void CMainFrame::OnUpdateOwnCommand(int id, CommandState& s) {
  switch (id) {
    case cmd::kViewToolbar: s.checked = !mainBar_->isHidden(); break;
    case cmd::kViewStatusBar: s.checked = !statusBar()->isHidden(); break;
    case cmd::kGraphMakingBar: s.checked = !makingBar_->isHidden(); break;
    case cmd::kGraphSettingBar: s.checked = !settingBar_->isHidden(); break;
    case cmd::kWindowArrange:
    case cmd::kWindowCascade:
    case cmd::kWindowTile: s.enabled = !mdi_->subWindowList().isEmpty(); break;
    default: break;
  }
}

void CMainFrame::OnFileOpen() {
  QString path = QFileDialog::getOpenFileName(this, QStringLiteral("開く"), QString(), OpenDocumentFilters());
  if (!path.isEmpty()) OpenFile(path);
}

bool CMainFrame::OpenFile(const QString& path) {
  if (!open_) return false;
  // A long file takes a while: say so, with the busy cursor, before the window is busy.
  statusBar()->showMessage(QStringLiteral("%1 を開いています...").arg(QFileInfo(path).fileName()));
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  const bool opened = open_(path);
  QGuiApplication::restoreOverrideCursor();
  statusBar()->showMessage(QStringLiteral("レディ"));
  if (!opened) return false;
  AddRecentFile(QFileInfo(path).absoluteFilePath());
  return true;
}

void CMainFrame::OnAbout() {
  CAboutDlg dlg(this);
  dlg.exec();
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow*) {
  bool withDocument = !mdi_->subWindowList().isEmpty();
  if (withDocument != documentMenus_) {
    documentMenus_ = withDocument;
    BuildMenus();
  }
  UpdateAllCommands();
}

void CMainFrame::UpdateBoxList(int activeType, const std::array<bool, 13>& present) {
  bool rebuild = !boxListBuilt_ || present != lastPresent_;
  if (rebuild) {
    lastPresent_ = present;
    boxListBuilt_ = true;
    boxList_->clear();
  }
  int position = -1;
  int count = 0;
  for (int type = 0; type < 13; ++type) {
    if (!present[type]) continue;
    if (rebuild) boxList_->addItem(QString::fromUtf8(BoxListText(type)), type);
    if (type == activeType) position = count;
    ++count;
  }
  if (boxList_->currentIndex() != position) boxList_->setCurrentIndex(position);
}

void CMainFrame::SetRemembered(const QRect& rect, bool maximized) {
  rememberedRect_ = rect;
  rememberedMaximized_ = maximized;
}

void CMainFrame::RememberGeometry() {
  if (isMaximized()) {
    rememberedMaximized_ = true;
  } else {
    rememberedMaximized_ = false;
    rememberedRect_ = geometry();
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // Every document window closes first; one whose document the user keeps open (cancel on
  // the save question) keeps the program running.
  mdi_->closeAllSubWindows();
  if (!mdi_->subWindowList().isEmpty()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (isVisible()) RememberGeometry();
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && isVisible()) RememberGeometry();
}

void CMainFrame::AddRecentFile(const QString& path) {
  recent_.removeAll(path);
  recent_.prepend(path);
  while (recent_.size() > kRecentFileCount) recent_.removeLast();
}

void CMainFrame::SetRecentFiles(const QStringList& files) {
  recent_ = files.mid(0, kRecentFileCount);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) OpenFile(url.toLocalFile());
  }
  event->acceptProposedAction();
}
