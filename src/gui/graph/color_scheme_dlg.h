#pragma once
// CColorSchemeDlg ("配色"): edits the thirteen colour sets of the box kinds, for a group of
// kinds or a single one, with five colour buttons and a small sample graph whose parts are
// tied to the buttons by leader lines. It works on a copy of the sets; the caller reads them
// back after OK. The colour chooser's sixteen custom colours are the application's: they are
// written back whenever the chooser closes with OK, whatever becomes of this dialog.
//
// The editing itself is core/graph/color_scheme.h; the sample and the leader lines are
// drawn by core/graph/color_sample.h. Every change asks for one redraw of both 10 ms later.
#include <QDialog>
#include <QImage>
#include <QTimer>

#include <array>

#include "core/graph/color_sample.h"
#include "core/graph/color_scheme.h"
#include "gui/graph/color_chooser.h"

class QComboBox;
class QPushButton;

class CColorSchemeDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kSampleTimerId = 3000;
  static constexpr int kSampleDelayMs = 10;

  explicit CColorSchemeDlg(CustomColors& customColors, QWidget* parent = nullptr);

  // Copies the sets in and selects the initial target of the box kind.
  void SetSchemes(const ColorSets& sets, int boxKind);
  // The sets as edited (what the caller takes after OK).
  const ColorSets& Schemes() const { return editor_.Sets(); }
  const ColorSchemeEditor& Editor() const { return editor_; }

  // Opens the colour chooser for one of the five buttons (index into kEditableColors).
  void ChangeColor(int button);
  // Replaces the platform's chooser (tests).
  void SetChooser(ColorChooser chooser) { chooser_ = std::move(chooser); }

  // --- what tests and screenshots look at ---
  bool IsSampleRedrawPending() const { return sampleTimer_.isActive(); }
  // Draws the sample and the leader lines now, as the timer does.
  void DrawSampleNow();
  const QImage& SampleImage() const { return sample_; }
  const std::array<LeaderLine, kEditableColorCount>& LeaderLines() const { return leaders_; }
  QWidget* SampleControl() const { return sampleControl_; }

  void accept() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void SelectTarget(int index);
  void ShowWorkingColors();
  void PostSampleRedraw();

  ColorSchemeEditor editor_;
  CustomColors& customColors_;
  ColorChooser chooser_;
  QTimer sampleTimer_;
  QImage sample_;
  std::array<LeaderLine, kEditableColorCount> leaders_{};
  QComboBox* target_ = nullptr;
  std::array<QPushButton*, kEditableColorCount> buttons_{};
  QWidget* sampleControl_ = nullptr;
};
