#pragma once
// DefaultPage: the page of boxes that a newly opened document shows for a wave - the
// information box, then the wave box of each channel (the mono box for a one-channel wave),
// placed by the document's placement rule, with the application's default colours and font.
//
// It holds what drawing such a page needs of a document (wave, settings record with its
// live references, page layout, font, label cell, box slots) and lays boxes out exactly as
// the document does, so that the command-line renderer shows what the program would show.
// The document class takes this over.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/doc/box_layout.h"
#include "core/doc/page_drawing.h"
#include "core/doc/page_layout.h"
#include "core/graph/box.h"
#include "core/graph/color_set.h"
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
};

