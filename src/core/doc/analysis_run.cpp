// The analysis run of a document: stepping an analysis block through the stored wave, or
// following the sound device while it records or plays, optionally starting every block at
// a trigger crossing. A timer drives it (run_timer_loop.h); everything runs on the user
// interface thread.
#include <algorithm>
#include <cstdio>

#include "core/doc/wav_doc.h"
#include "core/platform/hooks.h"
#include "core/platform/prompt.h"
#include "core/realtime/recording_plan.h"
#include "core/wave/wave_device.h"

namespace {

constexpr uint32_t kRecordingLagMs = 100;    // the recording is read this far behind
constexpr uint32_t kMaximumLagMs = 800;      // more lag than this is skipped, not caught up
constexpr uint32_t kEarlyFrames = 3000;      // see StepRun
constexpr uint32_t kBackOffFrames = 30;
constexpr int kMaxBlocksPerStep = 2;

}  // namespace

void CWavDoc::ApplySettings(const AnalysisSettings& record, int levelMode) {
  const AnalysisSettings& old = context_.record;
  const bool changed = old.blockSize != record.blockSize || old.averagingCount != record.averagingCount ||
                       old.fftFlags != record.fftFlags || old.fftRangeStart != record.fftRangeStart ||
                       old.fftRangeEnd != record.fftRangeEnd;
  const uint32_t position = context_.record.currentPosition;
  context_.record = record;
  context_.record.currentPosition = position;
  for (auto& box : boxes_) {
    if (!box) continue;
    if (changed) {
      box->SetSource(nullptr, nullptr, 0);
      box->SetValidFlags(0);
    }
    if (levelMode) box->SetLevelMode(-1);
  }
  UpdateAllViews();
  stepSize_ = static_cast<int32_t>(StepAdvance(context_.record));
}

void CWavDoc::BroadcastRunStart() {
  stepSize_ = static_cast<int32_t>(StepAdvance(context_.record));
  for (auto& box : boxes_) {
    if (box) box->Recalc(runPhase_, 1);
  }
}

int CWavDoc::RunDirection() const {
  return context_.record.realTimeMode == kRealTimeRecording ? WaveDevice::kInput : WaveDevice::kOutput;
}

bool CWavDoc::StartRun() {
  AnalysisSettings& s = context_.record;
  if (s.realTimeMode != kRealTimeOff) {
    const DeviceStart result = PrepareDevice();
    if (result != DeviceStart::kStarted) {
      // The user pressed record or play: say why nothing happens.
      const std::string why = DeviceStartMessage(result);
      s.realTimeMode = kRealTimeOff;
      AppMessage(why);
      return false;
    }
    s.currentPosition = s.fftRangeStart;
    runPhase_ = s.realTimeMode + 1;
    BroadcastRunStart();
    return true;
  }
  runPhase_ = kRunStepping;
  if (wave_.FrameCount() == 0) {
    runPhase_ = kRunIdle;
    return false;
  }
  s.currentPosition = s.fftRangeStart;
  BroadcastRunStart();
  return StartStepping();
}

bool CWavDoc::StartStepping() {
  AnalysisSettings& s = context_.record;
  if (!TriggerSearch(s.fftRangeEnd)) return false;  // the first timer tick ends the run
  AnalyseAndAdvance(RunBlock::kFirst);
  return true;
}

std::string CWavDoc::DeviceStartMessage(DeviceStart result) const {
  switch (result) {
    case DeviceStart::kStarted:
      return {};
    case DeviceStart::kEmptyRecording:
      return "録音時間が0です。録音設定で録音時間を指定してください。";
    case DeviceStart::kNoBuffer:
      return "録音用のメモリを確保できません。録音時間か録音形式を見直してください。";
    case DeviceStart::kRangeOutsideWave:
      return "FFT対象範囲の開始位置がウェーブデータの外にあります。";
    case DeviceStart::kNothingToPlay:
      return "再生するウェーブデータがありません。";
    case DeviceStart::kDeviceRefused:
      break;
  }
  const int direction = RunDirection();
  std::string why = wave_.Device() ? wave_.Device()->ErrorMessage(direction) : std::string();
  if (why.empty()) why = wave_.Device() ? "サウンドデバイスを開けません。" : "サウンドデバイスがありません。";
  return why;
}

CWavDoc::DeviceStart CWavDoc::PrepareDevice() {
  AnalysisSettings& s = context_.record;
  newBuffer_ = false;
  if (s.realTimeMode == kRealTimePlayback && wave_.FrameCount() == 0) return DeviceStart::kNothingToPlay;
  // The user's wave stays whole until the device has started: a start that fails gives it
  // back with its range, untouched.
  const uint32_t rangeStart = s.fftRangeStart;
  const uint32_t rangeEnd = s.fftRangeEnd;
  CWave previous;
  if (s.realTimeMode == kRealTimeRecording && RecordingNeedsNewBuffer(wave_, s)) {
    if (s.recordingFrames == 0) return DeviceStart::kEmptyRecording;
    CWave fresh;
    fresh.SetFormat(s.recordingRateHz, s.recordingBits, s.recordingChannels);
    uint64_t frames = uint64_t{s.recordingFrames} + (s.continuousRecording ? fresh.MsToFrames(1000) : 0);
    if (frames > 0xFFFFFFFFull || !fresh.Allocate(static_cast<uint32_t>(frames))) return DeviceStart::kNoBuffer;
    previous.TakeSamplesFrom(wave_);  // also ends any device use of the old wave
    wave_.TakeSamplesFrom(fresh);
    RecalcAllBoxes();
    s.fftRangeStart = 0;
    s.fftRangeEnd = wave_.FrameCount();
    newBuffer_ = true;
  }
  auto giveBack = [&](DeviceStart why) {
    if (newBuffer_) {
      wave_.TakeSamplesFrom(previous);
      RecalcAllBoxes();
      newBuffer_ = false;
    }
    s.fftRangeStart = rangeStart;
    s.fftRangeEnd = rangeEnd;
    return why;
  };
  if (s.fftRangeStart >= wave_.FrameCount()) return giveBack(DeviceStart::kRangeOutsideWave);
  const uint32_t count = std::min(wave_.FrameCount(), s.fftRangeEnd) - s.fftRangeStart;
  bool started;
  if (s.realTimeMode == kRealTimePlayback) {
    started = wave_.Play(s.fftRangeStart, count);
  } else {
    s.fftRangeEnd = s.fftRangeStart;  // the end follows the recording
    started = s.continuousRecording ? wave_.RecordRing() : wave_.Record(s.fftRangeStart, count);
  }
  return started ? DeviceStart::kStarted : giveBack(DeviceStart::kDeviceRefused);
}

uint32_t CWavDoc::DevicePosition() {
  AnalysisSettings& s = context_.record;
  uint32_t p;
  uint32_t lag;
  if (s.realTimeMode == kRealTimeOff) return s.fftRangeEnd;
  if (s.realTimeMode == kRealTimeRecording) {
    p = wave_.GetRecordPosition();
    char text[16];
    std::snprintf(text, sizeof text, "%u", p);
    statusText_ = text;
    lag = wave_.MsToFrames(kRecordingLagMs);
  } else {
    p = wave_.GetPlayPosition();
    lag = 0;
  }
  if (wave_.IsBusy()) return p > lag ? p - lag : 0;
  s.realTimeMode = kRealTimeOff;  // the device has finished (or gone away)
  return p;
}

bool CWavDoc::TriggerSearch(uint32_t limitFrame) {
  AnalysisSettings& s = context_.record;
  if (!s.triggerOn) return true;
  const int64_t n = wave_.FrameCount();
  const int64_t blockFrames = s.blockSize;
  const int64_t limit = wave_.AdjustForWrap(limitFrame, s.currentPosition);
  const int64_t c = std::clamp<int64_t>(s.triggerDelayFrames, 0, blockFrames);
  int64_t scanEnd = limit + c - blockFrames;
  if (blockFrames - c >= limit) scanEnd += n;  // the scan continues around the ring
  const double level = s.triggerLevel;
  const bool rising = s.triggerSlope == 0;
  bool armed = false;
  int64_t fired = -1;
  for (int64_t i = s.currentPosition; i < scanEnd; ++i) {
    const double v = wave_.GetValue(static_cast<uint32_t>(i), s.triggerChannel);
    if (!armed) armed = rising ? v < level : v > level;
    if (armed && (rising ? v > level : v < level)) {
      fired = i;
      break;
    }
  }
  if (fired < 0) {
    s.currentPosition = wave_.WrapPosition(static_cast<uint32_t>(std::max<int64_t>(scanEnd, 0)));
    return false;
  }
  s.triggerHitFrame = static_cast<int32_t>(fired);
  int64_t blockStart;
  if (fired <= c) {
    if (runPhase_ == kRunRecording && wave_.IsWrapped()) {
      blockStart = fired - c + n;
    } else {
      s.currentPosition = 0;
      return true;
    }
  } else {
    blockStart = fired - c;
  }
  s.currentPosition = wave_.WrapPosition(static_cast<uint32_t>(blockStart));
  return true;
}

void CWavDoc::AnalyseAndAdvance(RunBlock block) {
  AnalysisSettings& s = context_.record;
  // The first block restarts the engines' averaging, resets the wave boxes' marks and the
  // 3D boxes' slices.
  const int first = block == RunBlock::kFirst ? 1 : 0;
  if (plan_) {
    plan_->push_back({s.currentPosition, s.triggerHitFrame});
  } else {
    for (auto& box : boxes_) {
      if (box) box->UpdateData(runPhase_, first, first);
    }
  }
  s.currentPosition += StepAdvance(s);
  if (s.triggerOn) s.currentPosition += static_cast<uint32_t>(std::max(0, s.triggerDelayFrames));
}

bool CWavDoc::StepRun() {
  AnalysisSettings& s = context_.record;
  const uint32_t n = s.blockSize;
  const uint32_t step = StepAdvance(s);
  const int64_t maxLag = std::max<int64_t>(wave_.MsToFrames(kMaximumLagMs), int64_t{n} + step);
  if (wave_.FrameCount() == 0) return false;

  if (s.realTimeMode == kRealTimeOff) {
    if (s.currentPosition >= s.fftRangeEnd || !TriggerSearch(s.fftRangeEnd)) return false;
    if (uint64_t{s.currentPosition} + n > s.fftRangeEnd) {
      // The last block ends exactly at the range end (and never starts before frame 0).
      s.currentPosition = s.fftRangeEnd > n ? s.fftRangeEnd - n : 0;
      AnalyseAndAdvance(RunBlock::kNext);
      s.currentPosition = s.fftRangeEnd;
    } else {
      AnalyseAndAdvance(RunBlock::kNext);
    }
    return true;
  }

  const bool recording = s.realTimeMode == kRealTimeRecording;
  uint32_t p = DevicePosition();
  if (recording) s.fftRangeEnd = p;
  int64_t d = wave_.AdjustForWrap(p, s.currentPosition);
  if (d - int64_t{s.currentPosition} > maxLag) s.currentPosition = static_cast<uint32_t>(d - maxLag);
  int analysed = 0;
  for (int k = 0; k < kMaxBlocksPerStep && int64_t{s.currentPosition} + n < d; ++k) {
    p = DevicePosition();
    if (recording) s.fftRangeEnd = p;
    if (s.currentPosition < kEarlyFrames && s.fftRangeEnd < kEarlyFrames) s.currentPosition += 1;
    if (!TriggerSearch(static_cast<uint32_t>(d))) return false;
    if (int64_t{s.currentPosition} + n >= d) {
      s.currentPosition = s.currentPosition > kBackOffFrames ? s.currentPosition - kBackOffFrames : 0;
      break;
    }
    d = std::max<int64_t>(d, s.currentPosition);
    AnalyseAndAdvance(RunBlock::kNext);
    ++analysed;
    if (int64_t{s.currentPosition} > d) s.currentPosition = static_cast<uint32_t>(d);
  }
  s.currentPosition = wave_.WrapPosition(s.currentPosition);
  return analysed > 0;
}

void CWavDoc::StopRun() {
  AnalysisSettings& s = context_.record;
  std::string lost;
  if (runPhase_ == kRunRecording) {
    uint32_t p = wave_.GetRecordPosition();
    if (wave_.IsBusy()) {
      const uint32_t lag = wave_.MsToFrames(kRecordingLagMs);
      p = p > lag ? p - lag : 0;
    }
    wave_.Stop();
    if (wave_.Device()) lost = wave_.Device()->ErrorMessage(WaveDevice::kInput);
    s.fftRangeEnd = p;
    if (s.continuousRecording && wave_.IsWrapped()) {
      wave_.Linearize(p);
      s.fftRangeEnd = wave_.FrameCount();
    } else if (newBuffer_) {
      // The new buffer keeps exactly the frames recorded.
      if (p == 0) wave_.Free();
      else wave_.Delete(p, wave_.FrameCount());
      s.fftRangeEnd = std::min(s.fftRangeEnd, wave_.FrameCount());
    }
  } else if (runPhase_ == kRunPlayback) {
    wave_.Stop();
    if (wave_.Device()) lost = wave_.Device()->ErrorMessage(WaveDevice::kOutput);
    s.fftRangeEnd = wave_.GetPlayPosition();
  }
  s.fftRangeStart = std::min(s.fftRangeStart, s.fftRangeEnd);
  s.currentPosition = std::min(s.currentPosition, wave_.FrameCount());
  runPhase_ = kRunIdle;
  Changed();
  // A device that went away during the run ended it; what was recorded is kept.
  if (!lost.empty()) AppMessage(lost);
}
