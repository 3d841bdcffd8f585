#pragma once
// DefaultPage: the page of boxes that a newly opened document shows for a wave - the
// information box, then the wave box of each channel (the mono box for a one-channel wave),
// or any other box types asked for - placed by the document's placement rule, with the
// application's default colours, font and 3D settings.
//
// It holds what drawing such a page needs of a document (wave, settings record with its
// live references, page layout, font, label cell, box slots) and lays boxes out exactly as
// the document does, so that the command-line renderer shows what the program would show.
// The document class takes this over.
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/doc/box_layout.h"
#include "core/doc/page_drawing.h"
#include "core/doc/page_layout.h"
#include "core/graph/box.h"
#include "core/graph/color_set.h"
#include "core/graph/fft3d_settings.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

class DefaultPage : public BoxPage {
 public:
  // What a new document takes from the application's settings.
  struct NewDocumentDefaults {
    PageLayout layout;
    DocumentFont font{DefaultLogFont(), 0};
    StringSize stringSize{0, 0};  // 0 in either value: 110 x 35
    std::array<ColorSet, kColorSetCount> colorSets = ApplicationDefaultColorSets();
    Fft3DSettings fft3dSettings;
  };

  DefaultPage();
  explicit DefaultPage(const NewDocumentDefaults& defaults);
  DefaultPage(const DefaultPage&) = delete;
  DefaultPage& operator=(const DefaultPage&) = delete;
  ~DefaultPage() override;

  // Reads a WAVE file and sets the page up for it (SetUpForWave with the file name part of
  // the path). False when the file is refused (the reader's messages went to the prompt);
  // the page then holds no boxes.
  bool OpenWave(const std::string& path);
  // The set-up of an opened wave for the samples in Wave(): run phase idle, FFT range the
  // whole wave, the wave file name, the default boxes, the page fitted to them.
  void SetUpForWave(const std::string& fileName);
  // The same set-up with the given box types, created in the order given, instead of the
  // default boxes.
  void SetUpForWave(const std::string& fileName, std::span<const int> boxTypes);

  // Analyses the wave over the FFT range as a stepping run with the trigger off does, through
  // the spectrum and 3D spectrum boxes: each box restarts, then every block's start becomes
  // the current position and each box calculates it (a 3D box stores one slice per block
  // until it is full). The wave boxes keep showing the whole wave. Events are pumped every
  // 8192 frames. Returns the number of blocks; 0 for an empty wave.
  uint32_t AnalyseSpectra();

  // The application's 3D settings, given to the 3D boxes on the page and to new ones.
  void SetFft3DSettings(const Fft3DSettings& settings);
  const Fft3DSettings& GetFft3DSettings() const { return fft3dSettings_; }

  // Puts a new box of the type into its slot (replacing one there); false outside 0..12.
  bool SetBox(int type);
  void RemoveBox(int type);
  // The information box, then the wave boxes of the wave's channels.
  void CreateDefaultBoxes();
  // Remembers the rectangles of boxes placed by the user and fits the page to the boxes.
  void RecalcExtent();

  // --- BoxPage ---
  CBox* GetBox(int slot) const override;
  const DocumentFont& GetDocumentFont() const override { return font_; }
  void SetStringSize(int32_t width, int32_t height) override;
  Size GetDocSize() const override { return {layout_.width, layout_.height}; }

  CWave& Wave() { return wave_; }
  AnalysisContext& Context() { return context_; }
  const PageLayout& Layout() const { return layout_; }
  StringSize GetStringSize() const { return stringSize_; }
  const TextMargins& Margins() const { return margins_; }

 private:
  std::unique_ptr<CBox> CreateBox(int type, bool plain);
  std::vector<PlacedBox> PlacedBoxes() const;
  void UpdateTextMargins();

  CWave wave_;
  PageLayout layout_;
  std::array<std::unique_ptr<CBox>, kSlotCount> boxes_;
  std::array<std::unique_ptr<Rect>, kSlotCount> savedRects_;
  AnalysisContext context_;
  DocumentFont font_;
  TextMargins margins_;
  StringSize stringSize_;
  int32_t runPhase_ = kRunIdle;
  std::array<ColorSet, kColorSetCount> colorSets_;
  Fft3DSettings fft3dSettings_;
};

