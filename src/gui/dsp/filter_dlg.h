#pragma once
// CFilterDlg ("フィルタの設定"): the band, pass or stop, order, attenuation and channels of
// the filter, with the ideal characteristic drawn on a logarithmic frequency axis on which
// the band can also be dragged with the mouse. On OK it yields the filter type, f1 and f2
// in kHz, the attenuation, the order and the channel choice; settings that describe no
// filter, or no channel chosen, end the dialog as Cancel does.
#include <QDialog>

#include "core/dsp/fir_design.h"
#include "core/graph/log_font.h"

class CWave;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSpinBox;
class QTimer;
class FilterGraph;

class CFilterDlg : public QDialog {
  Q_OBJECT
 public:
  // The fields as the dialog opens (the view's defaults).
  struct Settings {
    int lowHz = 1000;  // 0 is shown as "min"
    int highHz = 2000;  // Nyquist or more is shown as "max"
    bool stop = false;
    int order = 200;
    int attenuationDb = 50;
  };
  // What OK yields.
  struct Filter {
    FilterType type = FilterType::kBandPass;
    double f1KHz = 1.0;
    double f2KHz = 2.0;
    double attenuationDb = 50.0;
    int order = 200;
    int channels = 0;  // 0 both, 1 left or the only channel, 2 right
  };

  CFilterDlg(const Settings& settings, const CWave& wave, const DocumentFont& font, QWidget* parent = nullptr);
  const Filter& Result() const { return result_; }
  int Nyquist() const { return nyquistHz_; }

  void accept() override;

  // The band as the mouse chose it, in ascending order, into the edge fields (tests drive
  // the graph through this as well as through the mouse).
  void SetBand(int fromHz, int toHz);

 private:
  friend class FilterGraph;
  // Parses both edge fields, shows them again in order and redraws.
  void NormaliseEdges();
  void ScheduleRedraw();
  void ShowKind();

  int nyquistHz_;
  bool mono_;
  Filter result_;
  QLineEdit* low_ = nullptr;
  QLineEdit* high_ = nullptr;
  QRadioButton* pass_ = nullptr;
  QRadioButton* stop_ = nullptr;
  QSpinBox* order_ = nullptr;
  QSpinBox* attenuation_ = nullptr;
  QListWidget* channels_ = nullptr;
  QLabel* kind_ = nullptr;
  QLabel* band_ = nullptr;
  FilterGraph* graph_ = nullptr;
  QTimer* redraw_ = nullptr;
};
