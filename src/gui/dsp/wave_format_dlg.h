#pragma once
// CWaveFormatDlg ("ウェーブフォーマット"): a sampling rate (11025, 22050 or 44100 Hz, or any
// rate from 5000 to 48000 Hz typed in), 8 or 16 bits and one or two channels. It opens on a
// format and yields the chosen one; the format conversion, the wave generator and the text
// import all ask through it. OK with a typed rate outside the range shows the range message
// and keeps the dialog open.
#include <QDialog>

#include <cstdint>

class QLineEdit;
class QRadioButton;

class CWaveFormatDlg : public QDialog {
  Q_OBJECT
 public:
  struct Format {
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint16_t channels = 2;
  };
  static constexpr uint32_t kMinRateHz = 5000;
  static constexpr uint32_t kMaxRateHz = 48000;

  explicit CWaveFormatDlg(const Format& format, QWidget* parent = nullptr);
  const Format& Result() const { return result_; }

  void accept() override;

 private:
  void EnableRateField();

  Format result_;
  QRadioButton* rates_[4] = {};
  QLineEdit* rate_ = nullptr;
  QRadioButton* bits_[2] = {};
  QRadioButton* channels_[2] = {};
};
