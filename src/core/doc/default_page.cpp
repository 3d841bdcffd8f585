#include "core/doc/default_page.h"

#include "core/doc/document_base.h"
#include "core/dsp/batch_analysis.h"
#include "core/graph/box_factory.h"
#include "core/graph/fft3d_box.h"
#include "core/platform/hooks.h"

namespace {

constexpr uint64_t kPumpIntervalFrames = 8192;

bool IsSpectrumSlot(int slot) { return slot >= kBoxFftLeft && slot <= kBoxFft3dMono; }

}  // namespace

DefaultPage::DefaultPage() : DefaultPage(NewDocumentDefaults{}) {}

DefaultPage::DefaultPage(const NewDocumentDefaults& defaults)
    : layout_(defaults.layout),
      font_(defaults.font),
      stringSize_(defaults.stringSize),
      colorSets_(defaults.colorSets),
      fft3dSettings_(defaults.fft3dSettings) {
  context_.record = DefaultAnalysisSettings();
  context_.stringSize = &stringSize_;
  context_.font = &font_;
  context_.runPhase = &runPhase_;
  UpdateTextMargins();
}

DefaultPage::~DefaultPage() = default;

bool DefaultPage::OpenWave(const std::string& path) {
  for (auto& box : boxes_) box.reset();
  if (!wave_.LoadWaveFile(path)) return false;
  SetUpForWave(FileNamePart(path));
  return true;
}

void DefaultPage::SetUpForWave(const std::string& fileName) {
  const std::vector<int> types = DefaultBoxTypes(wave_.Channels());
  SetUpForWave(fileName, types);
}

void DefaultPage::SetUpForWave(const std::string& fileName, std::span<const int> boxTypes) {
  runPhase_ = kRunIdle;
  context_.record.fftRangeStart = 0;
  context_.record.fftRangeEnd = wave_.FrameCount();
  SetWaveFileName(context_.record, fileName);
  for (auto& box : boxes_) box.reset();
  for (int type : boxTypes) SetBox(type);
}

uint32_t DefaultPage::AnalyseSpectra() {
  if (wave_.FrameCount() == 0) return 0;
  AnalysisSettings& s = context_.record;
  std::vector<CBox*> boxes;
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (IsSpectrumSlot(slot) && boxes_[slot]) boxes.push_back(boxes_[slot].get());
  runPhase_ = kRunStepping;
  for (CBox* box : boxes) box->Recalc(runPhase_, 1);
  SteppingSchedule schedule(s.fftRangeStart, s.fftRangeEnd, s.blockSize, StepAdvance(s));
  uint32_t blocks = 0;
  uint64_t sincePump = 0;
  uint32_t start = 0;
  bool first = false;
  while (schedule.Next(start, first)) {
    s.currentPosition = start;
    for (CBox* box : boxes) box->UpdateData(runPhase_, first ? 1 : 0, first ? 1 : 0);
    ++blocks;
    sincePump += StepAdvance(s);
    if (sincePump >= kPumpIntervalFrames) {
      sincePump = 0;
      PumpMessages();
    }
  }
  runPhase_ = kRunIdle;
  return blocks;
}

void DefaultPage::SetFft3DSettings(const Fft3DSettings& settings) {
  fft3dSettings_ = settings;
  for (int slot = kBoxFft3dLeft; slot <= kBoxFft3dMono; ++slot)
    if (auto* box = dynamic_cast<CFFT3DBox*>(boxes_[slot].get())) box->ApplySettings3D(settings);
}

std::vector<PlacedBox> DefaultPage::PlacedBoxes() const {
  std::vector<PlacedBox> placed;
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (boxes_[slot]) placed.push_back({slot, boxes_[slot]->GetRect()});
  return placed;
}

std::unique_ptr<CBox> DefaultPage::CreateBox(int type, bool plain) {
  std::unique_ptr<CBox> box = NewBoxOfType(type);
  if (!box) return nullptr;
  const std::vector<PlacedBox> placed = PlacedBoxes();
  const PlannedBox plan =
      PlanBoxRects(type, plain, placed, savedRects_[type].get(), layout_, stringSize_);
  box->SetSource(&wave_, &context_, ChannelOfBoxType(type));
  if (auto* waterfall = dynamic_cast<CFFT3DBox*>(box.get())) waterfall->ApplySettings3D(fft3dSettings_);
  box->SetRect(plan.box, &plan.plot);
  box->SetDefaultRanges();
  box->SetColors(colorSets_[type]);
  box->SetPlacedByUser(plan.placedByUser ? 1 : 0);
  return box;
}

bool DefaultPage::SetBox(int type) {
  if (type < 0 || type >= kSlotCount) return false;
  boxes_[type].reset();
  boxes_[type] = CreateBox(type, false);
  RecalcExtent();
  return true;
}

void DefaultPage::RemoveBox(int type) {
  if (type < 0 || type >= kSlotCount) return;
  boxes_[type].reset();
  RecalcExtent();
}

void DefaultPage::CreateDefaultBoxes() {
  for (int type : DefaultBoxTypes(wave_.Channels())) SetBox(type);
}

void DefaultPage::RecalcExtent() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!boxes_[slot]) continue;
    if (boxes_[slot]->PlacedByUser())
      savedRects_[slot] = std::make_unique<Rect>(boxes_[slot]->GetRect());
    else
      savedRects_[slot].reset();
  }
  FitPageToBoxes(PlacedBoxes(), layout_);
}

CBox* DefaultPage::GetBox(int slot) const {
  return slot >= 0 && slot < kSlotCount ? boxes_[slot].get() : nullptr;
}

void DefaultPage::UpdateTextMargins() {
  stringSize_ = EffectiveStringSize(stringSize_);
  margins_ = TextMarginsFor(stringSize_);
}

void DefaultPage::SetStringSize(int32_t width, int32_t height) {
  if (width == stringSize_.width && height == stringSize_.height) return;
  stringSize_ = {width, height};
  UpdateTextMargins();
  for (auto& box : boxes_) {
    if (!box) continue;
    box->SetPlotRect(ShrinkByTextMargins(box->GetRect(), margins_));
    box->SetValidFlags(0);
  }
}
