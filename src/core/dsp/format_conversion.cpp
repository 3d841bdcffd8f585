// CWave::ConvertFormat: a wave's sampling rate, bits per sample and channel count changed in
// place. It lives with the signal processing because it interpolates; it is a member of the
// wave because it replaces the wave's own block.
//
// Resampling: between the standard rates 11025, 22050 and 44100 Hz by whole-number ratios
// (raising the rate interpolates 2 or 4 output frames per source frame, lowering it picks
// every 2nd or 4th frame); between any other rates by the six-point spline at the exact
// position d x Ro / Rn of output frame d, taken in source frames as a whole number and a
// remainder, so no time arithmetic drifts over long waves.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/dsp/six_point_spline.h"
#include "core/io/byte_stream.h"
#include "core/platform/hooks.h"
#include "core/platform/work_progress.h"
#include "core/wave/wave.h"

namespace {

// Waves this short are not resampled: only their format changes.
constexpr uint32_t kShortWaveFrames = 9;
// Source frames handled between two progress checkpoints.
constexpr uint32_t kStepFrames = kPumpIntervalFrames;

bool IsStandardRate(uint32_t rateHz) { return rateHz == 11025 || rateHz == 22050 || rateHz == 44100; }

enum class Outcome { kDone, kCancelled, kWriteFailed };

// The source frames as the conversion reads them: one plane per output channel, on the
// 16-bit scale. One output channel is the mix (l + r) / 2 or, subtracting, (l - r) / 2,
// truncated toward zero; two output channels are left and right (a mono source gives both
// the same). Frames at or beyond the end repeat the last frame.
class SourceFrames {
 public:
  SourceFrames(const CWave& wave, int outChannels, bool subtract)
      : wave_(wave), data_(wave.GetData()), stride_(wave.BlockAlign()), frames_(wave.FrameCount()),
        stereo_(wave.Channels() >= 2), outChannels_(outChannels), subtract_(subtract) {
    if (wave.Bits() == 16 && stride_ >= (stereo_ ? 4u : 2u)) bytes_ = 2;
    else if (wave.Bits() == 8 && stride_ >= (stereo_ ? 2u : 1u)) bytes_ = 1;
  }

  uint64_t Frames() const { return frames_; }

  // Frames [first, first + count) into c0 (and c1 for two output channels).
  void Read(uint64_t first, size_t count, double* c0, double* c1) const {
    const size_t inside = first < frames_ ? static_cast<size_t>(std::min<uint64_t>(count, frames_ - first)) : 0;
    if (bytes_ == 2 && stereo_) {
      Decode(first, inside, c0, c1, [](const uint8_t* p, int& l, int& r) {
        l = Load16(p);
        r = Load16(p + 2);
      });
    } else if (bytes_ == 2) {
      Decode(first, inside, c0, c1, [](const uint8_t* p, int& l, int& r) { l = r = Load16(p); });
    } else {
      Decode(first, inside, c0, c1, [this](const uint8_t* p, int& l, int& r) { Generic(p, l, r); });
    }
    if (inside < count) {
      int v0, v1;
      Frame(frames_ - 1, v0, v1);
      for (size_t i = inside; i < count; ++i) {
        c0[i] = v0;
        if (outChannels_ == 2) c1[i] = v1;
      }
    }
  }

  void Frame(uint64_t frame, int& v0, int& v1) const {
    const auto f = static_cast<uint32_t>(std::min<uint64_t>(frame, frames_ - 1));
    int left, right;
    Generic(data_ + size_t{f} * stride_, left, right, f);
    Mix(left, right, v0, v1);
  }

 private:
  static int Load16(const uint8_t* p) {
    int16_t s;
    std::memcpy(&s, p, 2);
    return s;
  }
  static int FromByte(uint8_t x) {
    const int d = static_cast<int>(x) - 128;
    return d * 256 + (d & 0xFF);
  }

  void Mix(int left, int right, int& v0, int& v1) const {
    if (outChannels_ == 1) {
      v0 = subtract_ ? (left - right) / 2 : (left + right) / 2;
      v1 = v0;
    } else {
      v0 = left;
      v1 = right;
    }
  }

  // Any layout; frame is needed only where the wave itself must be asked.
  void Generic(const uint8_t* p, int& left, int& right, uint32_t frame = 0) const {
    if (bytes_ == 2) {
      left = Load16(p);
      right = stereo_ ? Load16(p + 2) : left;
    } else if (bytes_ == 1) {
      left = FromByte(p[0]);
      right = stereo_ ? FromByte(p[1]) : left;
    } else {
      wave_.GetLR(frame, left, right, subtract_);
    }
  }

  template <typename Sample>
  void Decode(uint64_t first, size_t count, double* c0, double* c1, Sample sample) const {
    if (bytes_ == 0) {
      for (size_t i = 0; i < count; ++i) {
        int l, r, v0, v1;
        wave_.GetLR(static_cast<uint32_t>(first + i), l, r, subtract_);
        Mix(l, r, v0, v1);
        c0[i] = v0;
        if (outChannels_ == 2) c1[i] = v1;
      }
      return;
    }
    const uint8_t* p = data_ + first * stride_;
    if (outChannels_ == 2) {
      for (size_t i = 0; i < count; ++i, p += stride_) {
        int l, r;
        sample(p, l, r);
        c0[i] = l;
        c1[i] = r;
      }
    } else if (subtract_) {
      for (size_t i = 0; i < count; ++i, p += stride_) {
        int l, r;
        sample(p, l, r);
        c0[i] = (l - r) / 2;
      }
    } else {
      for (size_t i = 0; i < count; ++i, p += stride_) {
        int l, r;
        sample(p, l, r);
        c0[i] = (l + r) / 2;
      }
    }
  }

  const CWave& wave_;
  const uint8_t* data_;
  size_t stride_;
  uint64_t frames_;
  bool stereo_;
  int outChannels_;
  bool subtract_;
  int bytes_ = 0;  // 0: through GetLR
};

// The converted frames, encoded and streamed into the temporary file or into a new block.
// Each value is truncated toward zero and limited to -32768 .. 32767, then stored as 16 bits
// or as (v >> 8) + 128 in one byte; left before right.
class OutputFrames {
 public:
  OutputFrames(uint16_t bits, uint16_t channels) : bits_(bits), channels_(channels) {}

  bool UseFile(const std::string& path) {
    if (!file_.Open(path, FileStream::Mode::ReadWrite)) return false;
    toFile_ = true;
    return true;
  }
  bool UseMemory(size_t byteCount) { return block_.Allocate(byteCount, SampleBuffer::Fill::Zero); }
  bool ToFile() const { return toFile_; }

  void Put(double v0, double v1) {
    Store(Clip(v0));
    if (channels_ == 2) Store(Clip(v1));
    if (used_ >= kStagingBytes) Flush();
  }

  // False when the file refused a write (the output is then incomplete).
  bool Flush() {
    if (used_ == 0) return !failed_;
    if (toFile_) {
      if (!failed_ && !file_.Write(staging_, used_)) failed_ = true;
    } else {
      const size_t n = std::min(used_, block_.Size() - written_);
      std::memcpy(block_.Data() + written_, staging_, n);
    }
    written_ += used_;
    used_ = 0;
    return !failed_;
  }

  FileStream& File() { return file_; }
  SampleBuffer& Block() { return block_; }

 private:
  static constexpr size_t kStagingBytes = size_t{1} << 16;

  static int Clip(double v) {
    if (!(v == v)) return 0;
    if (v >= 32767.0) return 32767;
    if (v <= -32768.0) return -32768;
    return static_cast<int>(v);
  }
  void Store(int v) {
    if (bits_ == 8) {
      staging_[used_++] = static_cast<uint8_t>((v >> 8) + 128);
    } else {
      const auto u = static_cast<uint16_t>(static_cast<int16_t>(v));
      staging_[used_++] = static_cast<uint8_t>(u & 0xFF);
      staging_[used_++] = static_cast<uint8_t>(u >> 8);
    }
  }

  uint16_t bits_;
  uint16_t channels_;
  uint8_t staging_[kStagingBytes + 8];
  size_t used_ = 0;
  FileStream file_;
  SampleBuffer block_;
  bool toFile_ = false;
  bool failed_ = false;
  size_t written_ = 0;
};

// The spline's value from its weights, summed as differences from the interval's first knot:
// the weights add up to 1, so a constant stretch comes out exactly, not a step below.
inline double Interpolate(const SplineKnots& w, int interval, const double* y) {
  const double base = y[interval];
  return base + (w[0] * (y[0] - base) + w[1] * (y[1] - base) + w[2] * (y[2] - base) +
                 w[3] * (y[3] - base) + w[4] * (y[4] - base) + w[5] * (y[5] - base));
}

bool StopAt(WorkProgress* progress, uint64_t sourceFrame) {
  return progress && progress->Checkpoint(static_cast<uint32_t>(sourceFrame));
}

// The moments M2 and M3 of the windows starting at y[0] .. y[count - 1], from the moment rows
// of the spline. Built for each instruction set, as the windows are independent of each
// other.
[[gnu::target_clones("avx512f", "avx2", "default")]] void PrepareMoments(const double* row2, const double* row3,
                                                                         const double* y, size_t count,
                                                                         double* m2, double* m3) {
  for (size_t s = 0; s < count; ++s) {
    const double* w = y + s;
    const double base = w[2];
    double a2 = 0.0, a3 = 0.0;
    for (size_t k = 0; k < 6; ++k) {
      const double d = w[k] - base;
      a2 += row2[k] * d;
      a3 += row3[k] * d;
    }
    m2[s] = a2;
    m3[s] = a3;
  }
}

// The spline through six source frames, in its middle interval (between the third and the
// fourth frame), where every output frame after the first few is taken. Per window the two
// moments that interval needs are computed once, for a whole stretch of windows at a time
// (a loop without dependencies between windows); per output frame only the cubic in t
// remains. Moments are summed over differences from the third frame, and the straight part
// is y2 + t (y3 - y2), so a constant stretch comes out exactly.
class MiddleInterval {
 public:
  explicit MiddleInterval(const SixPointSpline& spline) : row2_(spline.MomentRow(2)), row3_(spline.MomentRow(3)) {}

  // Moments of the windows starting at y[0] .. y[count - 1] (y holds count + 5 frames).
  void Prepare(const double* y, size_t count, double* m2, double* m3) const {
    PrepareMoments(row2_.data(), row3_.data(), y, count, m2, m3);
  }

  // The cubic's two factors for the fraction t.
  struct Position {
    double t, ca, cb;
  };
  static Position At(double t) {
    const double a = 1.0 - t;
    return {t, (a * a * a - a) / 6.0, (t * t * t - t) / 6.0};
  }
  // The value for the window starting at w, with its moments.
  static double Value(const double* w, double m2, double m3, const Position& p) {
    return w[2] + p.t * (w[3] - w[2]) + (p.ca * m2 + p.cb * m3);
  }

 private:
  SplineKnots row2_, row3_;
};

// Source frames of one stretch, one plane per output channel, with the moments of the
// windows that start in it.
struct Stretch {
  explicit Stretch(size_t windows)
      : y{std::vector<double>(windows + 8), std::vector<double>(windows + 8)},
        m2{std::vector<double>(windows), std::vector<double>(windows)},
        m3{std::vector<double>(windows), std::vector<double>(windows)} {}
  std::vector<double> y[2], m2[2], m3[2];
};

// Any rates: output frame d lies at d x Ro / Rn source frames, ip + rem / Rn. The first
// output frames (ip < 3) are taken from the spline through source frames 0 .. 5 in interval
// ip; every later one from the spline through ip - 2 .. ip + 3, between its third and fourth
// knots.
Outcome SplineMethod(const SourceFrames& source, int channels, uint32_t oldRate, uint32_t newRate,
                     uint64_t newFrames, OutputFrames& out, WorkProgress* progress) {
  const SixPointSpline spline;
  const MiddleInterval middle(spline);
  Stretch st(kStepFrames);
  // Output frame d at ip + rem / Rn source frames, stepped by Ro / Rn per frame in whole
  // numbers: no division per frame and no drift.
  const uint64_t stepWhole = oldRate / newRate;
  const uint64_t stepRem = oldRate % newRate;
  const double perRem = 1.0 / newRate;
  uint64_t ip = 0, rem = 0;
  uint64_t d = 0;
  for (uint64_t k0 = 0; d < newFrames; k0 += kStepFrames) {
    if (StopAt(progress, k0)) return Outcome::kCancelled;
    // The output frames that source frames k0 .. k1 - 1 produce (ip < k1 + 2); their windows
    // start at ip - 2, inside k0 .. k1 - 1.
    const uint64_t k1 = k0 + kStepFrames;
    const uint64_t end = std::min(newFrames, ((k1 + 2) * newRate + oldRate - 1) / oldRate);
    source.Read(k0, kStepFrames + 5, st.y[0].data(), st.y[1].data());
    for (int c = 0; c < channels; ++c) {
      middle.Prepare(st.y[c].data(), kStepFrames, st.m2[c].data(), st.m3[c].data());
    }
    for (; d < end; ++d) {
      const double t = static_cast<double>(rem) * perRem;
      if (ip < 3) {
        const int j = static_cast<int>(ip);
        const SplineKnots w = spline.Weights(j, t);
        out.Put(Interpolate(w, j, st.y[0].data()), Interpolate(w, j, st.y[1].data()));
      } else {
        const size_t s = static_cast<size_t>(ip - 2 - k0);
        const MiddleInterval::Position p = MiddleInterval::At(t);
        const double v0 = MiddleInterval::Value(st.y[0].data() + s, st.m2[0][s], st.m3[0][s], p);
        const double v1 =
            channels == 2 ? MiddleInterval::Value(st.y[1].data() + s, st.m2[1][s], st.m3[1][s], p) : 0.0;
        out.Put(v0, v1);
      }
      ip += stepWhole;
      rem += stepRem;
      if (rem >= newRate) {
        rem -= newRate;
        ++ip;
      }
    }
    if (!out.Flush()) return Outcome::kWriteFailed;
  }
  return Outcome::kDone;
}

// Raising the rate by a whole factor r (2 or 4): each source frame k gives itself and the
// spline values at 1/r, 2/r, ... of the way to frame k + 1 (source frames 0 .. 5, interval
// k, for k < 3; then k - 2 .. k + 3, interval 2).
Outcome RatioUp(const SourceFrames& source, int channels, uint32_t factor, OutputFrames& out,
                WorkProgress* progress) {
  const SixPointSpline spline;
  const MiddleInterval middle(spline);
  SplineKnots weights[3][4];
  MiddleInterval::Position at[4];
  for (uint32_t phase = 1; phase < factor; ++phase) {
    const double t = double(phase) / factor;
    at[phase] = MiddleInterval::At(t);
    for (int j = 0; j < 3; ++j) weights[j][phase] = spline.Weights(j, t);
  }
  Stretch st(kStepFrames);
  const uint64_t frames = source.Frames();
  for (uint64_t k0 = 0; k0 < frames; k0 += kStepFrames) {
    if (StopAt(progress, k0)) return Outcome::kCancelled;
    // Windows k - 2 .. k + 3 for k in k0 .. k1 - 1 (the first three take 0 .. 5).
    const uint64_t base = k0 < 2 ? 0 : k0 - 2;
    source.Read(base, kStepFrames + 5, st.y[0].data(), st.y[1].data());
    for (int c = 0; c < channels; ++c) {
      middle.Prepare(st.y[c].data(), kStepFrames, st.m2[c].data(), st.m3[c].data());
    }
    const uint64_t k1 = std::min<uint64_t>(frames, k0 + kStepFrames);
    for (uint64_t k = k0; k < k1; ++k) {
      out.Put(st.y[0][k - base], st.y[1][k - base]);
      if (k < 3) {
        const int j = static_cast<int>(k);
        for (uint32_t phase = 1; phase < factor; ++phase) {
          out.Put(Interpolate(weights[j][phase], j, st.y[0].data()),
                  Interpolate(weights[j][phase], j, st.y[1].data()));
        }
        continue;
      }
      const size_t s = static_cast<size_t>(k - 2 - base);
      for (uint32_t phase = 1; phase < factor; ++phase) {
        const double v0 = MiddleInterval::Value(st.y[0].data() + s, st.m2[0][s], st.m3[0][s], at[phase]);
        const double v1 = channels == 2
                              ? MiddleInterval::Value(st.y[1].data() + s, st.m2[1][s], st.m3[1][s], at[phase])
                              : 0.0;
        out.Put(v0, v1);
      }
    }
    if (!out.Flush()) return Outcome::kWriteFailed;
  }
  return Outcome::kDone;
}

// Lowering or keeping the rate by a whole step s (1, 2 or 4): output frame i is source frame
// i x s, without interpolation or filtering.
Outcome RatioPick(const SourceFrames& source, uint32_t step, uint64_t newFrames, OutputFrames& out,
                  WorkProgress* progress) {
  for (uint64_t i = 0; i < newFrames; ++i) {
    if (i % kPumpIntervalFrames == 0) {
      if (StopAt(progress, i * step)) return Outcome::kCancelled;
      if (!out.Flush()) return Outcome::kWriteFailed;
    }
    int v0, v1;
    source.Frame(i * step, v0, v1);
    out.Put(v0, v1);
  }
  return out.Flush() ? Outcome::kDone : Outcome::kWriteFailed;
}

}  // namespace

bool CWave::ConvertFormat(uint32_t rate, uint16_t bits, uint16_t channels, bool subtract,
                          WorkProgress* progress) {
  if (rate == 0 || (bits != 8 && bits != 16) || (channels != 1 && channels != 2)) return false;
  if (frameCount_ <= kShortWaveFrames) {
    SetFormat(rate, bits, channels);
    return false;
  }
  const uint32_t oldRate = format_.samplesPerSec;
  if (oldRate == 0 || block_.Empty() || format_.blockAlign == 0) return false;
  const uint64_t newFrames = uint64_t{frameCount_} * rate / oldRate;
  const uint64_t newBytes = newFrames * channels * (bits / 8u);
  if (newFrames == 0 || newBytes > std::numeric_limits<uint32_t>::max()) return false;
  if (IsBusy()) Stop();

  std::string path;
  if (UseTempFiles && !MakeTempFileName("wft", path)) {
    path.clear();
    if (!ReportTempFileError(1)) return false;
  }
  OutputFrames out(bits, channels);
  if (!path.empty() && !out.UseFile(path)) {
    std::remove(path.c_str());
    path.clear();
  }
  if (path.empty() && !out.UseMemory(newBytes)) return false;

  const SourceFrames source(*this, channels, subtract);
  Outcome outcome;
  if (IsStandardRate(oldRate) && IsStandardRate(rate)) {
    if (rate > oldRate) outcome = RatioUp(source, channels, rate / oldRate, out, progress);
    else outcome = RatioPick(source, oldRate / rate, newFrames, out, progress);
  } else {
    outcome = SplineMethod(source, channels, oldRate, rate, newFrames, out, progress);
  }

  bool replaced = false;
  if (outcome == Outcome::kWriteFailed) {
    ReportTempFileError(2);
  } else if (outcome == Outcome::kDone) {
    if (out.ToFile()) {
      // Streamed: the old and the new samples were never both in memory. The old block
      // becomes the new one and is filled from the file.
      FileStream& file = out.File();
      if (block_.Resize(newBytes)) {
        replaced = true;
        if (!file.Seek(0) || file.Read(block_.Data(), newBytes) != newBytes) {
          // The old samples are partly overwritten: leave an empty wave, not a mixture.
          Free();
          file.Close();
          std::remove(path.c_str());
          return false;
        }
      }
    } else {
      block_ = std::move(out.Block());
      replaced = true;
    }
  }
  if (out.ToFile()) {
    out.File().Close();
    std::remove(path.c_str());
  }
  if (!replaced) return false;

  format_.samplesPerSec = rate;
  format_.bitsPerSample = bits;
  format_.channels = channels;
  format_.blockAlign = static_cast<uint16_t>(bits * channels / 8);
  format_.avgBytesPerSec = rate * format_.blockAlign;
  frameCount_ = static_cast<uint32_t>(newFrames);
  dataSize_ = static_cast<uint32_t>(newBytes);
  wrapped_ = 0;
  return true;
}
