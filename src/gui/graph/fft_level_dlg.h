#pragma once
// CFFTLevelDlg ("FFTレベル設定"): the modeless tool window of a view that fixes the 0 dB
// reference of the spectrum boxes' decibel axis - the peak, the level at a frequency or a
// given level, shifted by an offset. Confirming ("確定" or OK) switches auto adjust on in the
// document's analysis settings, so that every spectrum box follows the reference after
// each calculation. A mark set in a spectrum box while the window is open fills in its
// frequency and level.
//
// The object lives as long as its view; its window comes and goes (Show, Close). The values
// and enabling rules are core/graph/fft_level_logic.h.
#include <QDialog>

#include "core/graph/fft_level_logic.h"
#include "core/realtime/analysis_settings.h"

class CWavDoc;
class PanelHost;
class QComboBox;
class QLineEdit;
class QPushButton;

class CFFTLevelDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CFFTLevelDlg(QWidget* parent = nullptr);

  // Remembers the document and copies its analysis settings; the controls show them when
  // the window exists.
  void Bind(CWavDoc* doc);
  // The view that owns the dialog: confirming hands the record to it (ApplyToDocument).
  void SetView(PanelHost* view) { view_ = view; }
  // Opens the window the first time; when it is open, brings it forward.
  void Show(QWidget* parentView);
  // Closes the window if it is open; the document's views are told to update.
  void Close();
  bool IsWindowCreated() const { return created_; }
  // A point chosen elsewhere (a mark in a spectrum box): the controls are read first, then
  // the frequency and the level (per cent of full scale) go into their edits. The adjust
  // mode stays as it is.
  void SetReferencePoint(double frequencyHz, double levelPercent);
  // Takes over what a run depends on and auto adjust from a record just applied elsewhere,
  // then shows the copy.
  void SyncFromRecord(const AnalysisSettings& record);
  // "確定": hands the document its current record with the controls read in and auto adjust
  // on. False, after telling the user, when an edit does not hold a number.
  bool Apply();

  // OK: confirms and closes the window (not when an edit holds no number). Cancel and Esc:
  // closes it.
  void accept() override;
  void reject() override;

  // The dialog's copy of the record.
  const AnalysisSettings& Record() const { return record_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void WriteControls();
  // Reads the controls; false when an edit holds no number (the user is told when `report`).
  bool ReadControls(FftLevelControls& c, bool report);
  void OnModeChange();

  CWavDoc* doc_ = nullptr;
  PanelHost* view_ = nullptr;
  AnalysisSettings record_ = DefaultAnalysisSettings();
  bool created_ = false;
  QComboBox* mode_ = nullptr;
  QLineEdit* frequency_ = nullptr;
  QLineEdit* level_ = nullptr;
  QLineEdit* offset_ = nullptr;
  QPushButton* confirm_ = nullptr;
};
