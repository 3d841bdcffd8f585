// The whole stepping run at once: the blocks are planned first by the timer run's own rules,
// then every spectrum box takes all of them on a thread of its own while the wave boxes
// follow the positions on the calling thread. Each box sees exactly the calls the timer run
// gives it, in the same order, so the results are the same bit for bit.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "core/doc/wav_doc.h"
#include "core/io/archive.h"
#include "core/io/byte_stream.h"
#include "core/platform/hooks.h"

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(20);

// Every box's record, to put back when the user cancels.
class BoxSnapshot {
 public:
  void Take(const std::array<CBox*, kBoxSlotCount>& boxes) {
    for (size_t slot = 0; slot < boxes.size(); ++slot) {
      if (!boxes[slot]) continue;
      MemoryStream bytes;
      {
        CArchive ar(bytes, CArchive::Mode::Store);
        boxes[slot]->Serialize(ar);
      }
      records_[slot] = bytes.TakeBytes();
    }
  }
  // Loads each record back into its box, which is reset first as a loaded box is.
  void Restore(const std::array<CBox*, kBoxSlotCount>& boxes, int32_t runPhase) {
    for (size_t slot = 0; slot < boxes.size(); ++slot) {
      if (!boxes[slot]) continue;
      MemoryStream bytes(std::move(records_[slot]));
      CArchive ar(bytes, CArchive::Mode::Load);
      boxes[slot]->Recalc(runPhase, 1);
      boxes[slot]->Serialize(ar);
      boxes[slot]->SetValidFlags(0);
    }
  }

 private:
  std::array<std::vector<uint8_t>, kBoxSlotCount> records_;
};

}  // namespace

std::vector<CWavDoc::PlannedBlock> CWavDoc::PlanSteppingRun() {
  std::vector<PlannedBlock> plan;
  if (wave_.FrameCount() == 0) return plan;
  const AnalysisSettings saved = context_.record;
  const int32_t phase = runPhase_;
  AnalysisSettings& s = context_.record;
  s.realTimeMode = kRealTimeOff;
  runPhase_ = kRunStepping;
  plan_ = &plan;
  s.currentPosition = s.fftRangeStart;
  if (StartStepping()) {
    while (StepRun()) {
    }
  }
  plan_ = nullptr;
  planEnd_ = {s.currentPosition, s.triggerHitFrame};
  context_.record = saved;
  runPhase_ = phase;
  return plan;
}

std::optional<uint32_t> CWavDoc::RunBatchAnalysis(const BatchOptions& options) {
  AnalysisSettings& s = context_.record;
  const AnalysisSettings before = s;
  const std::vector<PlannedBlock> plan = PlanSteppingRun();
  const PlannedBlock end = planEnd_;

  std::array<CBox*, kBoxSlotCount> boxes{};
  for (int slot = 0; slot < kSlotCount; ++slot) boxes[slot] = boxes_[slot].get();
  BoxSnapshot snapshot;
  if (options.progress) snapshot.Take(boxes);

  s.realTimeMode = kRealTimeOff;
  if (wave_.FrameCount() == 0) {
    StopRun();
    return 0;
  }
  runPhase_ = kRunStepping;
  s.currentPosition = s.fftRangeStart;
  BroadcastRunStart();

  std::vector<CBox*> analysers;
  std::vector<CBox*> followers;
  for (CBox* box : boxes) {
    if (box) (box->AnalysesBlocks() ? analysers : followers).push_back(box);
  }
  std::atomic<bool> cancel{false};
  std::vector<std::atomic<uint64_t>> done(analysers.size());
  const uint64_t total = uint64_t{plan.size()} * analysers.size();
  // Box b analyses planned block i, as the timer run's tick i would have it do.
  auto analyseBlock = [&](size_t b, size_t i) {
    const int first = i == 0 ? 1 : 0;
    analysers[b]->AnalyseBlock(plan[i].startFrame, first, first);
    done[b].fetch_add(1, std::memory_order_relaxed);
  };
  auto analyse = [&](size_t b) {
    for (size_t i = 0; i < plan.size() && !cancel.load(std::memory_order_relaxed); ++i) analyseBlock(b, i);
  };
  auto doneSoFar = [&] {
    uint64_t sum = 0;
    for (const auto& d : done) sum += d.load(std::memory_order_relaxed);
    return sum;
  };
  // The wave boxes follow the run's position and trigger crossing, block by block.
  auto follow = [&](size_t i) {
    s.currentPosition = plan[i].startFrame;
    s.triggerHitFrame = plan[i].triggerHitFrame;
    const int first = i == 0 ? 1 : 0;
    for (CBox* box : followers) box->UpdateData(runPhase_, first, first);
  };

  batchRunning_ = true;
  if (options.progress && !options.progress(0, total)) cancel = true;
  if (cancel) {
    // Nothing to analyse.
  } else if (options.threads == 1 || analysers.size() <= 1) {
    // Block by block, as the timer run goes; progress and events every so many frames.
    const uint32_t step = std::max<uint32_t>(StepAdvance(s), 1);
    uint64_t sincePump = 0;
    for (size_t i = 0; i < plan.size() && !cancel; ++i) {
      follow(i);
      for (size_t b = 0; b < analysers.size(); ++b) analyseBlock(b, i);
      sincePump += step;
      if (sincePump >= kPumpIntervalFrames) {
        sincePump = 0;
        if (options.progress && !options.progress(doneSoFar(), total)) cancel = true;
      }
    }
  } else {
    std::vector<std::thread> threads;
    threads.reserve(analysers.size());
    for (size_t b = 0; b < analysers.size(); ++b) threads.emplace_back(analyse, b);
    for (size_t i = 0; i < plan.size(); ++i) follow(i);
    auto finished = [&] { return doneSoFar() >= total || cancel; };
    while (options.progress && !finished()) {
      std::this_thread::sleep_for(kProgressInterval);
      if (!options.progress(doneSoFar(), total)) cancel = true;
    }
    for (std::thread& t : threads) t.join();
  }
  batchRunning_ = false;

  if (cancel) {
    s = before;
    runPhase_ = kRunIdle;
    snapshot.Restore(boxes, runPhase_);
    UpdateAllViews();
    return std::nullopt;
  }
  if (options.progress) options.progress(total, total);
  s.currentPosition = end.startFrame;
  s.triggerHitFrame = end.triggerHitFrame;
  StopRun();
  return static_cast<uint32_t>(plan.size());
}

uint32_t CWavDoc::RunSteppingAnalysis() { return RunBatchAnalysis({}).value_or(0); }
