#pragma once
// Shared pieces of the graph tests: waves built from a function, an analysis context with
// its live references, and a minimal box for the base class's own drawing.
#include <cstdint>
#include <functional>
#include <memory>

#include "core/graph/box.h"
#include "core/graph/recording_dc.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

// A 16-bit wave whose sample of frame f in channel c (0 left, 1 right) is sample(f, c).
inline std::unique_ptr<CWave> MakeWave(uint32_t frames, uint16_t channels, uint32_t rate,
                                       const std::function<int(uint32_t, int)>& sample) {
  auto wave = std::make_unique<CWave>();
  wave->SetFormat(rate, 16, channels);
  if (frames > 0 && !wave->Allocate(frames)) return wave;
  for (uint32_t f = 0; f < frames; ++f) {
    wave->SetSample(f, sample(f, 0), kChannelLeft);
    if (channels > 1) wave->SetSample(f, sample(f, 1), kChannelRight);
  }
  return wave;
}

// The record of a new document with references to a label cell, a font and a run phase.
struct TestContext {
  StringSize cell{110, 35};
  DocumentFont font{DefaultLogFont(), 0};
  int32_t runPhase = kRunIdle;
  AnalysisContext context;

  TestContext() {
    context.record = DefaultAnalysisSettings();
    context.stringSize = &cell;
    context.font = &font;
    context.runPhase = &runPhase;
  }
};

// A box with nothing of its own: the base drawing alone.
class ProbeBox : public CBox {
 public:
  const char* ClassName() const override { return "ProbeBox"; }
  int GetKind() const override { return 0; }
  int LimitXRange(double&, double&) override { return 1; }
  int LimitYRange(double&, double&) override { return 1; }
  void DrawData(DeviceContext&, const Rect*) override {}
  void EraseData(DeviceContext& dc, const Rect* clip) override {
    DrawPolyline(dc, 0, clip, kPolylineErase);
  }
  void AutoRangeY() override {}
  void FitXToWave() override {}
  void FullRangeY() override {}
  void FullRangeX() override {}
  void SetDefaultRanges() override {}
  void GetXScrollInfo(ScrollInfo&) override {}
  void GetYScrollInfo(ScrollInfo&) override {}
  int ShiftX(int) override { return 0; }
  int ShiftY(int) override { return 0; }
  int ZoomX(int) override { return 0; }
  int ZoomY(int) override { return 0; }
};

// The lines of a recording as (from, to, pen colour) for compact comparisons.
struct LineCall {
  Point from;
  Point to;
  uint32_t color;
  friend bool operator==(const LineCall&, const LineCall&) = default;
};

inline std::vector<LineCall> LinesOf(const RecordingDC& dc) {
  std::vector<LineCall> lines;
  for (const DcCall& c : dc.CallsOf(DcCall::kLine)) lines.push_back({c.from, c.to, c.pen.color});
  return lines;
}

inline std::ostream& operator<<(std::ostream& os, const LineCall& l) {
  return os << "(" << l.from.x << "," << l.from.y << ")-(" << l.to.x << "," << l.to.y << ") #"
            << std::hex << l.color << std::dec;
}
