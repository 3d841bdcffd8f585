#pragma once
// C3DSettingsDlg ("3D-FFT表示設定"): slant of the waterfall along X and Y (per cent), the
// depth pitch between slices (0.1 mm) and the fill colour under each slice. The caller fills
// the values from the application's settings and stores them back on OK.
#include <QDialog>

#include <array>
#include <cstdint>

class QSpinBox;
class QPushButton;

class C3DSettingsDlg : public QDialog {
  Q_OBJECT
 public:
  struct Values {
    int slantXPercent = 30;
    int slantYPercent = 70;
    int depthPitch = 10;
    uint32_t fillColor = 0xFFFFFF;
    std::array<uint32_t, 16> userColors{};
  };

  explicit C3DSettingsDlg(const Values& values, QWidget* parent = nullptr);
  const Values& Result() const { return values_; }

  void accept() override;

 private:
  void ChooseFill();
  void ShowFill();

  Values values_;
  QSpinBox* slantX_ = nullptr;
  QSpinBox* slantY_ = nullptr;
  QSpinBox* pitch_ = nullptr;
  QPushButton* fill_ = nullptr;
};
