#pragma once
// FftPlan: the fast way through the engine's transform for one block size N.
//
// The engine's transform is a radix-2 decimation with natural-order input and bit-reversed
// output: for the spans a = N/2, N/4, ..., 1 every group of 2a values is combined with one
// twiddle W (taken in bit-reversed order from the engine's tables) as t = W x[k+a],
// x[k+a] = x[k] - t, x[k] = x[k] + t; then every value is divided by N. Bin k ends up at the
// bit-reversed position of k.
//
// The plan performs exactly those butterflies, with the same twiddle values and the same
// order of operations inside each butterfly, so its results are bit for bit those of the
// plain algorithm. It is faster because it
//  - merges two spans per pass (one trip through memory for two stages),
//  - uses that the input is real in the first one or two stages,
//  - in the last stage computes only the values that become bins 0 .. N/2-1 and turns them
//    into magnitudes at once (the division by N is folded into the magnitude; N is a power
//    of two, so this changes no bit),
//  - never reorders the data (bins are picked from their bit-reversed places at the end),
//  - works depth-first on sub-blocks once they fit in the cache,
//  - is compiled for AVX2 as well as for plain x86-64 and picks one when the program starts
//    (no fused multiply-add in either, so both give the same bits).
//
// Why not a real-input transform of half the size: that relies on the conjugate symmetry of
// the spectrum of real data, which the engine's tables (built with pi = 3.14159265359, about
// 2e-13 away from pi) do not have. Such a transform differs from this one by about 1e-12 of
// the largest bin at N = 4096 and 1.5e-12 at N = 65536 on noise, more than the engine may.
//
// Everything is allocated by Build; the transforms allocate nothing. N must be a power of
// two of at least 4. Not copyable (the engine rebuilds its plan when it is set up).
#include <cstddef>
#include <cstdint>
#include <memory>

class FftPlan {
 public:
  FftPlan() = default;
  FftPlan(const FftPlan&) = delete;
  FftPlan& operator=(const FftPlan&) = delete;

  // Builds the plan from the engine's tables of N/2 entries: cosTable[i] = cos(2 pi i / N),
  // sinTable[i] = sin(-2 pi i / N). False (and an empty plan) when N is not a power of two
  // of at least 4 or memory is refused.
  bool Build(uint32_t blockSize, const double* cosTable, const double* sinTable);
  void Clear();
  uint32_t BlockSize() const { return blockSize_; }

  // The amplitudes of the N real values x: magnitudes[k] = 2 |X_k| for k = 0 .. N/2-1, where
  // X_k = (1/N) sum_n x_n e^(-j 2 pi k n / N) as the tables give it; with fast set, the
  // approximation 2 (L + S/3) of 2 |X_k| (L the larger, S the smaller of |Re X_k|, |Im X_k|).
  // x and magnitudes must not overlap.
  void Magnitudes(const double* x, bool fast, double* magnitudes);

  // The complex bins X_k, k = 0 .. N/2-1, of the same transform (for checks and tools).
  void Transform(const double* x, double* re, double* im);

 private:
  struct AlignedFree {
    void operator()(double* p) const;
  };
  using Buffer = std::unique_ptr<double[], AlignedFree>;

  uint32_t blockSize_ = 0;
  int log2Size_ = 0;
  Buffer re_, im_;              // N values: the data between the stages
  Buffer twRe_, twIm_;          // N/2 twiddles in the order the groups use them
  Buffer lastW2Re_, lastW2Im_;  // N/4: twiddle of the first pair in the last stage's group r
  Buffer lastW3Re_, lastW3Im_;  // N/4: twiddle of the second pair
  Buffer low_, high_;           // N/4 each: results of the last stage, in bit-reversed order
  Buffer lowIm_, highIm_;       // N/4 each: imaginary parts for Transform
  std::unique_ptr<uint32_t[]> binOrder_;  // N/4: bit reversal over log2(N) - 2 bits
};
