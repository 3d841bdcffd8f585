#pragma once
// CMainFrame: the main window - menus (one set without a document window, one with), the
// main, graph-making and graph-setting toolbars with the box-list combo box, the status bar,
// and the MDI area holding one sub-window per view. Commands go to the active document
// window's view first (CommandTarget), then to the handlers of the main window itself.
#include <QMainWindow>

#include <array>
#include <functional>
#include <map>

#include "gui/app/command_target.h"

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;
struct MenuEntry;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit CMainFrame(QWidget* parent = nullptr);
  ~CMainFrame() override;

  QMdiArea* MdiArea() const { return mdi_; }
  QAction* Action(int id) const;
  QToolBar* MainToolbar() const { return mainBar_; }
  QToolBar* GraphMakingToolbar() const { return makingBar_; }
  QToolBar* GraphSettingToolbar() const { return settingBar_; }
  QComboBox* BoxList() const { return boxList_; }

  // Runs a command as a menu choice would.
  void RunCommand(int id);
  // Asks the targets for the command's state (enabled, checked) and shows it.
  CommandState UpdateCommand(int id);
  void UpdateAllCommands();
  // Gives a new document window its size and place inside the MDI area.
  void PlaceNewWindow(QMdiSubWindow* window);
  // A message in the status bar until the next prompt replaces it.
  void ShowStatus(const QString& text);
  // The status bar's field that names the mouse operation (tests).
  QLabel* MouseOperationField() const { return mouseOperation_; }

  // Refills the box list when the thirteen presence flags changed and selects the active
  // type's entry (none when it has no entry).
  void UpdateBoxList(int activeType, const std::array<bool, 13>& present);

  // The remembered main window rectangle and maximised flag (kept across runs).
  QRect RememberedRect() const { return rememberedRect_; }
  bool RememberedMaximized() const { return rememberedMaximized_; }
  void SetRemembered(const QRect& rect, bool maximized);

  // Recent files, newest first, at most four.
  void AddRecentFile(const QString& path);
  QStringList RecentFiles() const { return recent_; }
  void SetRecentFiles(const QStringList& files);

  // Who opens documents (the application); returns false when refused.
  void SetOpenHandler(std::function<bool(const QString&)> open) { open_ = std::move(open); }
  void SetNewHandler(std::function<void()> create) { new_ = std::move(create); }
  bool OpenFile(const QString& path);

  // The target of the active document window, or null.
  CommandTarget* ActiveTarget() const;

 signals:
  void BoxListChosen(int type);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateActions();
  void BuildMenus();
  QMenu* BuildMenu(const MenuEntry& entry, QWidget* parent);
  void FillRecentMenu(QMenu* menu);
  // The open document windows at the end of the window menu, the active one checked.
  void FillWindowMenu(QMenu* menu);
  void CascadeWindows();
  QToolBar* BuildToolbar(const QString& name, const std::vector<int>& buttons, Qt::ToolBarArea area);
  bool HandlesOwnCommand(int id) const;
  void OnOwnCommand(int id);
  void OnUpdateOwnCommand(int id, CommandState& state);
  void OnFileOpen();
  void OnAbout();
  void OnSubWindowActivated(QMdiSubWindow* window);
  void RememberGeometry();

  QMdiArea* mdi_ = nullptr;
  QToolBar* mainBar_ = nullptr;
  QToolBar* makingBar_ = nullptr;
  QToolBar* settingBar_ = nullptr;
  QComboBox* boxList_ = nullptr;
  std::array<QLabel*, 4> indicators_{};
  QLabel* mouseOperation_ = nullptr;
  std::map<int, QAction*> actions_;
  std::multimap<int, QAction*> menuOnlyActions_;  // menu entries with a text of their own
  QTimer* idle_ = nullptr;
  std::array<bool, 13> lastPresent_{};
  bool boxListBuilt_ = false;
  bool documentMenus_ = false;
  QRect rememberedRect_;
  bool rememberedMaximized_ = false;
  QStringList recent_;
  std::function<bool(const QString&)> open_;
  std::function<void()> new_;
};
