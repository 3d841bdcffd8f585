#include "core/doc/default_page.h"

#include "core/doc/document_base.h"
#include "core/graph/box_factory.h"

DefaultPage::DefaultPage() : DefaultPage(NewDocumentDefaults{}) {}

DefaultPage::DefaultPage(const NewDocumentDefaults& defaults)
    : layout_(defaults.layout),
      font_(defaults.font),
      stringSize_(defaults.stringSize),
      colorSets_(defaults.colorSets) {
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
  runPhase_ = kRunIdle;
  context_.record.fftRangeStart = 0;
  context_.record.fftRangeEnd = wave_.FrameCount();
  SetWaveFileName(context_.record, fileName);
  CreateDefaultBoxes();
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
