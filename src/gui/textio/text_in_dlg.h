#pragma once
// CTextInDlg ("データテキスト入力"): the text file to read samples from, its delimiter, and
// the wave it makes: format (through the wave format dialog) and length, as a frame count
// or as a duration in seconds, each edit following the other. Notes tell the user what the
// file must look like.
//
// The caller fills Values with the wave's format and frame count, the stored delimiter and
// an empty file name; after OK, Result() and Format() describe the read.
#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <string>

#include "core/textio/wave_text_reader.h"

class QLabel;
class QLineEdit;
class QPushButton;

class CTextInDlg : public QDialog {
  Q_OBJECT
 public:
  // The one-shot timer that fills the edits after opening.
  static constexpr int kInitDelayMs = 200;

  struct Values {
    int32_t frameCount = 0;
    int16_t channels = 2;
    int16_t bits = 16;
    uint32_t rateHz = 44100;
    std::string durationText;
    std::string delimiter;
    std::string fileName;
    std::string frameCountText;
  };

  explicit CTextInDlg(const Values& values, QWidget* parent = nullptr);
  const Values& Result() const { return values_; }
  // The wave to read into: the chosen format and frame count (0 frames when it is not
  // positive, which the reader refuses).
  WaveTextFormat Format() const;

  // Runs the pending one-shot timer at once (tests).
  void FlushTimers();

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Initialise();
  void FrameCountEdited(const QString& text);
  void DurationEdited(const QString& text);
  void Browse();
  // The rate limit, the duration text and the format shown, after the format changed.
  void FormatChanged();
  // The wave format dialog on the format the file is read in.
  void ChooseFormat();
  void UpdateOk();

  Values values_;
  QLineEdit* fileName_ = nullptr;
  QLineEdit* delimiter_ = nullptr;
  QLineEdit* frameCount_ = nullptr;
  QLineEdit* duration_ = nullptr;
  QLabel* format_ = nullptr;
  QPushButton* ok_ = nullptr;
  QTimer initTimer_;
  bool shownOnce_ = false;
};
