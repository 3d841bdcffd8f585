#pragma once
// CEditDlg ("編集"): the modal dialog in which the user edits a document's samples between
// two buffers, the wave buffer (upper half: the document's samples, handed back on OK) and
// the temporary buffer (lower half: a scratch wave of the same format, empty or read from a
// WAVE file). Each buffer has its graph with a scroll bar, a zoom control and a channel
// list; the user selects frames by dragging over a graph, and copies, mixes, deletes,
// fades, changes the level of, echoes or reverses the selection, with one level of undo per
// buffer. The arithmetic is CWave's; the dialog checks, confirms, keeps the undo state,
// operates and redraws.
//
// Hand-over: the document stashes its wave in a temporary file before the dialog opens
// (CWavDoc::StashWave). Initialise reads the wave buffer from that file; on OK the document
// takes the wave buffer's samples directly (nothing can drop the edits), on Cancel it reads
// its own samples back from the file. Whatever fails, the document never ends up with only
// the silence the stash left behind, and the user is told.
#include <QDialog>
#include <QTimer>

#include <array>
#include <string>
#include <vector>

#include "core/graph/device_context.h"
#include "gui/edit/edit_buffer.h"
#include "gui/edit/edit_texts.h"
#include "gui/edit/edit_undo.h"

class COverviewView;
class CWavDoc;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class ZoomSpin;

class CEditDlg : public QDialog {
  Q_OBJECT
 public:
  // The commands of the graphs' context menus (menu 144: the wave buffer's pop-up first).
  enum MenuCommand : int {
    kCopyWaveToTemp = 32799,
    kMixWaveToTemp = 32800,
    kDeleteWave = 32801,
    kCopyTempToWave = 32802,
    kMixTempToWave = 32803,
    kDeleteTemp = 32804,
    kUndoWave = 32805,
    kUndoTemp = 32806,
    kFadeInWave = 32807,
    kFadeOutWave = 32808,
    kFadeOutTemp = 32817,
    kLevelWave = 32820,
    kFadeInTemp = 32821,
    kLevelTemp = 32824,
    kReverseWave = 32862,
    kReverseTemp = 32864,
    kEchoWave = 32866,
    kEchoTemp = 32867,
  };
  struct MenuEntry {
    int id;
    const char* text;
  };
  static const std::vector<MenuEntry>& ContextMenu(int buffer);

  // A drag outside the visible frames scrolls again this often; a playing buffer is polled
  // this often; redraws wait this long so that several changes cost one.
  static constexpr int kAutoScrollMs = 300;
  static constexpr int kPlayPollMs = 50;
  static constexpr int kRedrawDelayMs = 10;
  // The context menu opens this many pixels above the click.
  static constexpr int kMenuRaisePx = 10;

  // What the level, mix, copy and echo dialogs remember for the life of the process.
  struct Remembered {
    bool smoothing = false;
    int echoDelayMs = 100;
    int echoResidualPercent = 10;
  };
  static Remembered& Choices();

  explicit CEditDlg(QWidget* parent = nullptr);
  ~CEditDlg() override;

  // Takes the document's samples: from the hand-over file when the path is not empty, else
  // as a copy of the document's wave. False when the dialog cannot open (the user has been
  // told and the document holds its samples, or, when even they could not be read back, the
  // path names the file that keeps them). boxType gives the graphs' colours.
  bool Initialise(CWavDoc& doc, int boxType, const std::string& handOverPath);
  // After the dialog: on OK the document takes the wave buffer; otherwise it reads its
  // samples back from the hand-over file (keeping the wave buffer's copy, and saying so,
  // when that fails). Runs once; nothing happens when Initialise failed.
  void HandBack(bool accepted);
  const std::string& HandOverPath() const { return handOverPath_; }

  EditBuffer& Buffer(int which) { return buffers_[which]; }
  EditUndo& Undo() { return undo_; }

  // --- the commands (buttons and context menus) ---
  void CopySelection(int from);
  void MixSelection(int from);
  void DeleteSelection(int buffer);
  void FadeSelection(int buffer, bool fadeIn);
  void ChangeLevel(int buffer);
  void EchoSelection(int buffer);
  void ReverseSelection(int buffer);
  void UndoBuffer(int buffer);
  void SelectAll(int buffer);
  void ShowFullRange(int buffer);
  void AutoZoomY(int buffer);
  void Play(int buffer);
  void Stop(int buffer);
  // "ファイル読込み": asks for a WAVE file and loads it into the temporary buffer.
  void LoadFile();
  // Reads a WAVE file into the temporary buffer, converted to the wave buffer's format.
  bool LoadTempFile(const std::string& path);
  // Carries out a context menu command.
  void RunMenuCommand(int id);
  // Chooses an entry of a buffer's channel list.
  void ChooseChannel(int buffer, int entryIndex);

  // --- the graphs ---
  // Draws a buffer's graph now (a pending redraw is dropped).
  void Redraw(int buffer);
  // Redraws the buffer's graph after kRedrawDelayMs.
  void PostRedraw(int buffer);
  // The frame under a device x of a buffer's graph, as a real number.
  double FrameAtDeviceX(int buffer, int x) const;
  // The device x of a frame on a buffer's graph.
  int DeviceXOfFrame(int buffer, double frame) const;
  // Whether the operation buttons are enabled (they are not while a buffer plays).
  bool OperationsEnabled() const;

 private:
  struct Controls;

  void BuildControls(int buffer, Controls& c);
  void FillChannelList(int buffer);
  void RefreshTexts(int buffer);
  void SetScrollBar(int buffer);
  void OnScroll(int buffer, int position);
  void OnZoom(int buffer, int position);
  void PollPlaying();
  void ShowContextMenu(int buffer, QPoint devicePos);
  // The buffer's selection changed its length or the buffer its frames: the graph shows
  // the whole buffer again.
  void AfterLengthChange(int buffer);

  // --- drawing into a graph's back buffer ---
  DeviceMapping Mapping(int buffer) const;
  void FitBox(int buffer);
  template <typename Draw>
  bool OnGraph(int buffer, Draw draw);
  // Draws or removes the XOR rectangle over frames a..b (in either order).
  void XorSelection(DeviceContext& dc, int buffer, uint32_t a, uint32_t b);
  // The range the XOR rectangle shows now: the drag in progress, else the selection.
  bool ShownRange(int buffer, uint32_t& a, uint32_t& b) const;

  // --- the mouse ---
  void OnPress(int buffer, QPoint device);
  void OnMove(int buffer, QPoint device);
  void OnRelease(int buffer, QPoint device);
  void OnAutoScroll();
  // Moves the drag's current frame to the device x, scrolling when it lies outside the
  // visible frames; true when it scrolled.
  bool DragTo(int buffer, int x);

  CWavDoc* doc_ = nullptr;
  std::string handOverPath_;
  bool initialised_ = false;
  bool handedBack_ = false;
  std::array<EditBuffer, 2> buffers_;
  EditUndo undo_;
  std::array<Controls*, 2> ui_{};
  QPushButton* load_ = nullptr;

  // The drag: which buffer (0 none, 1 wave buffer, 2 temporary buffer), anchor and current.
  int dragBuffer_ = 0;
  uint32_t anchor_ = 0;
  uint32_t current_ = 0;
  int lastDragX_ = 0;
  QTimer autoScroll_;
  QTimer playPoll_;
};
