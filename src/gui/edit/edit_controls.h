#pragma once
// The controls of one buffer in the editing dialog, shared by the dialog's source files;
// "shown" is the range the XOR rectangle on the back buffer covers now.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "gui/edit/edit_dlg.h"
#include "gui/platform/dialog_parts.h"
#include "gui/realtime/setting_panel.h"

struct CEditDlg::Controls {
  COverviewView* graph = nullptr;
  QScrollBar* scroll = nullptr;
  ZoomSpin* zoom = nullptr;
  QComboBox* channels = nullptr;
  QPushButton* copy = nullptr;
  QPushButton* mix = nullptr;
  QPushButton* erase = nullptr;
  QPushButton* fadeIn = nullptr;
  QPushButton* fadeOut = nullptr;
  QPushButton* level = nullptr;
  QPushButton* selectAll = nullptr;
  QPushButton* fullRange = nullptr;
  QPushButton* autoY = nullptr;
  QPushButton* play = nullptr;
  QPushButton* stop = nullptr;
  QLabel* total = nullptr;
  QLabel* start = nullptr;
  QLabel* end = nullptr;
  QLabel* length = nullptr;
  QTimer redraw;
  // The XOR rectangle on the back buffer and the frames it covers. It shows a drag and the
  // selection it made, until the graph is drawn anew (which shows the selection in the
  // graph's own selection colour).
  bool rectAfterDrag = false;
  bool selectionShown = false;
  uint32_t shownA = 0;
  uint32_t shownB = 0;
};
