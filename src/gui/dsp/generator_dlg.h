#pragma once
// CGeneratorDlg ("ウェーブジェネレータ"): the wave generator's settings - duration of one
// repetition, repetitions, peak level, the wave format and the list of up to 30 components,
// each edited in the signal dialog. "ﾃｽﾄ再生" generates one second into a wave of the dialog's
// own (no noise filter) and plays it through the sound device; "停止" stops it, and so does
// closing the dialog. OK checks the fields (with the data exchange's messages) and yields
// the settings; the components are edited on the dialog's copy, so cancelling keeps them.
#include <QDialog>

#include "core/dsp/generator.h"
#include "core/wave/wave.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class WaveDevice;

class CGeneratorDlg : public QDialog {
  Q_OBJECT
 public:
  // `device` plays the test signal; none: the test playback says it cannot play.
  CGeneratorDlg(const GeneratorSettings& settings, WaveDevice* device, QWidget* parent = nullptr);
  ~CGeneratorDlg() override;
  const GeneratorSettings& Result() const { return settings_; }

  // The buttons' work, reachable for tests.
  void AddComponent();
  void EditComponent();
  void DeleteComponent();
  void ChooseFormat();
  void TestPlay();
  void StopTestPlay();
  // The list entries are the components' summaries (filled 50 ms after the dialog opens).
  void FillList();
  // The wave the test playback plays.
  const CWave& TestWave() const { return testWave_; }

  void accept() override;
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Reads duration, repetitions and peak level into the settings; false after a message.
  bool TakeFields();
  void ShowTotal();
  void ShowFormat();
  void UpdateButtons();
  int DurationForFades() const;

  GeneratorSettings settings_;
  CWave testWave_;
  QLineEdit* duration_ = nullptr;
  QLineEdit* repetitions_ = nullptr;
  QLineEdit* peak_ = nullptr;
  QLabel* total_ = nullptr;
  QLabel* format_ = nullptr;
  QListWidget* list_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* testPlay_ = nullptr;
  QPushButton* stop_ = nullptr;
  QTimer* fillTimer_ = nullptr;
  QTimer* playWatch_ = nullptr;
  bool filled_ = false;
};
