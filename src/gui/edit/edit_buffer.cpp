#include "gui/edit/edit_buffer.h"

#include <algorithm>
#include <cstring>

#include "core/doc/wav_doc.h"
#include "core/io/archive.h"

EditBuffer::EditBuffer() = default;

void EditBuffer::SetSelection(uint32_t start, uint32_t end) {
  context_.record.fftRangeStart = std::min(start, end);
  context_.record.fftRangeEnd = std::max(start, end);
}

void EditBuffer::SetSelector(int selector) {
  selector_ = selector;
  if (box_) box_->SetSource(&wave_, &context_, selector);
}

void EditBuffer::SetUp(CWavDoc& doc, int boxType) {
  context_ = doc.Context();
  context_.record.realTimeMode = 0;
  context_.runPhase = &runPhase_;
  stringSize_ = doc.GetStringSize();
  context_.stringSize = &stringSize_;
  FollowWave();
  SelectAll();
  std::unique_ptr<CBox> created = doc.CreateBox(boxType, false);
  if (auto* box = dynamic_cast<CWaveBox*>(created.get())) {
    box_.reset(box);
    created.release();
  }
  if (box_) {
    box_->SetGridShown(1);
    box_->SetSource(&wave_, &context_, kChannelBoth);
    ShowWhole();
  }
  SetSelector(kChannelBoth);
}

void EditBuffer::FollowWave() {
  AnalysisSettings& s = context_.record;
  s.recordingRateHz = wave_.Rate();
  s.recordingBits = wave_.Bits();
  s.recordingChannels = wave_.Channels();
  s.recordingFrames = wave_.FrameCount() ? wave_.FrameCount() : 2 * wave_.Rate();
  const uint32_t n = wave_.FrameCount();
  if (s.fftRangeEnd > n) s.fftRangeEnd = n;
  if (s.fftRangeStart > s.fftRangeEnd) s.fftRangeStart = s.fftRangeEnd;
  if (selector_ == kChannelRight && wave_.Channels() < 2) SetSelector(kChannelBoth);
}

void EditBuffer::ShowWhole() {
  if (!box_) return;
  box_->SetDefaultRanges();
  box_->FullRangeX();
  box_->FullRangeY();
  box_->X().CalcTickStep(0, 0);
  box_->SetValidFlags(0);
}

bool EditBuffer::StoreState(CArchive& ar) {
  ar.Write(&context_.record, sizeof context_.record);
  if (box_) box_->Serialize(ar);
  return wave_.Serialize(ar) && !ar.Failed();
}

bool EditBuffer::LoadState(CArchive& ar) {
  AnalysisSettings record{};
  if (!ar.Read(&record, sizeof record)) return false;
  std::unique_ptr<CWaveBox> box;
  if (box_) {
    box = std::make_unique<CWaveBox>();
    box->Serialize(ar);
    if (ar.Failed()) return false;
  }
  CWave wave;
  if (!wave.Serialize(ar)) return false;
  // Everything was read: the buffer takes it over.
  wave_.TakeSamplesFrom(wave);
  const AnalysisContext live = context_;
  context_.record = record;
  context_.record.realTimeMode = 0;
  context_.runPhase = live.runPhase;
  context_.stringSize = live.stringSize;
  context_.font = live.font;
  if (box) {
    box_ = std::move(box);
    box_->SetSource(&wave_, &context_, box_->Channel() ? box_->Channel() : kChannelBoth);
    box_->SetValidFlags(0);
  }
  selector_ = box_ ? box_->Channel() : selector_;
  FollowWave();
  return true;
}
