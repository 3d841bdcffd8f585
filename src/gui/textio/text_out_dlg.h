#pragma once
// CTextOutDlg ("データテキスト出力"): the options of a spectrum or wave text file, the file
// name, and a live preview of the file's beginning ("出力イメージ").
//
// The caller fills Values with the mode, the channels that have data (bit 0 left, bit 1
// right, bit 2 mono), the wave or the spectrum boxes, the document font and the stored
// options; the dialog starts with every available channel chosen. After OK, Result() holds
// the choices and WriteFile() writes the file.
#include <QDialog>
#include <QTimer>

#include <string>

#include "core/graph/log_font.h"
#include "core/textio/text_out.h"

class CFFTBox;
class CWave;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CTextOutDlg : public QDialog {
  Q_OBJECT
 public:
  enum class Mode { kSpectrum, kWave };
  static constexpr int kLeftAvailable = 1;
  static constexpr int kRightAvailable = 2;
  static constexpr int kMonoAvailable = 4;
  // The one-shot timers: channel enabling after opening, the preview after a change.
  static constexpr int kEnableDelayMs = 200;
  static constexpr int kPreviewDelayMs = 100;
  // Rows the preview shows.
  static constexpr uint32_t kPreviewRows = 30;

  struct Values {
    Mode mode = Mode::kWave;
    int available = 0;
    const CWave* wave = nullptr;
    // Spectrum mode: the boxes of slots 3, 4 and 5 that exist (the reference box is the
    // first of mono, left and right, whichever columns are chosen).
    CFFTBox* spectrumLeft = nullptr;
    CFFTBox* spectrumRight = nullptr;
    CFFTBox* spectrumMono = nullptr;
    DocumentFont font;
    TextOutOptions options;
    std::string fileName;
    bool left = false;
    bool right = false;
    bool mono = false;
  };

  explicit CTextOutDlg(const Values& values, QWidget* parent = nullptr);
  const Values& Result() const { return values_; }

  // The text of the file as it would be written, with at most kPreviewRows rows (UTF-8,
  // "\n" line ends).
  static std::string PreviewText(const Values& values);
  // Writes the file the values describe; false when it cannot be created or written.
  static bool WriteFile(const Values& values);

  // What the preview draws now (tests and screenshots).
  QString ShownPreview() const;
  // Runs the pending one-shot timers at once (tests).
  void FlushTimers();

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  class Preview;

  void EnableChannels();
  void ReadControls();
  void Changed();
  void RedrawPreview();
  void Browse();

  Values values_;
  QLabel* description_ = nullptr;
  QCheckBox* conditions_ = nullptr;
  QCheckBox* names_ = nullptr;
  QCheckBox* step_ = nullptr;
  QCheckBox* left_ = nullptr;
  QCheckBox* right_ = nullptr;
  QCheckBox* mono_ = nullptr;
  QLineEdit* delimiter_ = nullptr;
  QLineEdit* fileName_ = nullptr;
  QPushButton* ok_ = nullptr;
  Preview* preview_ = nullptr;
  QTimer enableTimer_;
  QTimer previewTimer_;
  bool shownOnce_ = false;
};
