#include "core/dsp/fft_plan.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

// The vectors below only pass between functions that are inlined into one another.
#pragma GCC diagnostic ignored "-Wpsabi"

// The passes are written once over 4-wide vectors of doubles (GCC's vector extension: plain
// x86-64 does them as two SSE2 halves) and compiled twice, for AVX2 and for the baseline.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define SONVUE_FFT_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SONVUE_FFT_CLONES
#endif
#define SONVUE_FFT_INLINE inline __attribute__((always_inline))

namespace {

typedef double V4 __attribute__((vector_size(32)));
typedef long long V4i __attribute__((vector_size(32)));
constexpr size_t kLanes = 4;

// Below this many values (re and im together 32 KB: the first-level data cache) the
// remaining stages run breadth-first over the whole chunk; above it one pass at a time
// streams through everything.
constexpr size_t kChunkValues = 2048;

SONVUE_FFT_INLINE V4 Load(const double* p) {
  V4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
SONVUE_FFT_INLINE void Store(double* p, V4 v) { std::memcpy(p, &v, sizeof v); }
SONVUE_FFT_INLINE V4 Splat(double d) { return V4{d, d, d, d}; }

#if defined(__clang__)
#define SONVUE_SHUFFLE(a, b, i, j, k, l) __builtin_shufflevector(a, b, i, j, k, l)
#else
#define SONVUE_SHUFFLE(a, b, i, j, k, l) __builtin_shuffle(a, b, V4i{i, j, k, l})
#endif

// Rows a, b, c, d become columns: a = (a0 b0 c0 d0), b = (a1 b1 c1 d1), ...
SONVUE_FFT_INLINE void Transpose(V4& a, V4& b, V4& c, V4& d) {
  V4 t0 = SONVUE_SHUFFLE(a, b, 0, 4, 2, 6);
  V4 t1 = SONVUE_SHUFFLE(a, b, 1, 5, 3, 7);
  V4 t2 = SONVUE_SHUFFLE(c, d, 0, 4, 2, 6);
  V4 t3 = SONVUE_SHUFFLE(c, d, 1, 5, 3, 7);
  a = SONVUE_SHUFFLE(t0, t2, 0, 1, 4, 5);
  c = SONVUE_SHUFFLE(t0, t2, 2, 3, 6, 7);
  b = SONVUE_SHUFFLE(t1, t3, 0, 1, 4, 5);
  d = SONVUE_SHUFFLE(t1, t3, 2, 3, 6, 7);
}

// The butterfly of the plain algorithm: t = w x1; x1 = x0 - t; x0 = x0 + t.
SONVUE_FFT_INLINE void Butterfly(V4& x0r, V4& x0i, V4& x1r, V4& x1i, V4 wr, V4 wi) {
  V4 tr = wr * x1r - wi * x1i;
  V4 ti = wr * x1i + wi * x1r;
  x1r = x0r - tr;
  x1i = x0i - ti;
  x0r = x0r + tr;
  x0i = x0i + ti;
}

struct Tables {
  const double* twRe;
  const double* twIm;
  const double* w2Re;
  const double* w2Im;
  const double* w3Re;
  const double* w3Im;
};

// The first stage (span N/2, twiddle 1) on real input.
SONVUE_FFT_INLINE void FirstPassRadix2(const double* x, double* re, double* im, size_t n) {
  const size_t h = n / 2;
  for (size_t i = 0; i < h; i += kLanes) {
    V4 a = Load(x + i), b = Load(x + h + i);
    Store(re + i, a + b);
    Store(re + h + i, a - b);
    Store(im + i, Splat(0.0));
    Store(im + h + i, Splat(0.0));
  }
}

// The first two stages (spans N/2 and N/4) on real input. The twiddles are 1 for the first
// stage and for the lower group of the second; the upper group's twiddle (cos, sin of a
// quarter turn from the tables) multiplies a real value.
SONVUE_FFT_INLINE void FirstPassRadix4(const double* x, double* re, double* im, size_t n,
                                       const Tables& t) {
  const size_t q = n / 4;
  const V4 c = Splat(t.twRe[1]), s = Splat(t.twIm[1]);
  for (size_t i = 0; i < q; i += kLanes) {
    V4 x0 = Load(x + i), x1 = Load(x + q + i), x2 = Load(x + 2 * q + i), x3 = Load(x + 3 * q + i);
    V4 y0 = x0 + x2, y2 = x0 - x2, y1 = x1 + x3, y3 = x1 - x3;
    V4 tr = c * y3, ti = s * y3;
    Store(re + i, y0 + y1);
    Store(re + q + i, y0 - y1);
    Store(re + 2 * q + i, y2 + tr);
    Store(re + 3 * q + i, y2 - tr);
    Store(im + i, Splat(0.0));
    Store(im + q + i, Splat(0.0));
    Store(im + 2 * q + i, ti);
    Store(im + 3 * q + i, -ti);
  }
}

// Two stages (spans a and a/2, a >= 8) over the groups of 2a values in [base, base + len).
SONVUE_FFT_INLINE void Pass(double* re, double* im, const Tables& t, size_t base, size_t len,
                            size_t a) {
  const size_t q = a / 2;
  for (size_t g = base; g < base + len; g += 2 * a) {
    const size_t r = g / (2 * a);
    const V4 w1r = Splat(t.twRe[r]), w1i = Splat(t.twIm[r]);
    const V4 w2r = Splat(t.twRe[2 * r]), w2i = Splat(t.twIm[2 * r]);
    const V4 w3r = Splat(t.twRe[2 * r + 1]), w3i = Splat(t.twIm[2 * r + 1]);
    double* r0 = re + g;
    double* i0 = im + g;
    for (size_t i = 0; i < q; i += kLanes) {
      V4 x0r = Load(r0 + i), x0i = Load(i0 + i);
      V4 x1r = Load(r0 + q + i), x1i = Load(i0 + q + i);
      V4 x2r = Load(r0 + a + i), x2i = Load(i0 + a + i);
      V4 x3r = Load(r0 + a + q + i), x3i = Load(i0 + a + q + i);
      Butterfly(x0r, x0i, x2r, x2i, w1r, w1i);
      Butterfly(x1r, x1i, x3r, x3i, w1r, w1i);
      Butterfly(x0r, x0i, x1r, x1i, w2r, w2i);
      Butterfly(x2r, x2i, x3r, x3i, w3r, w3i);
      Store(r0 + i, x0r);
      Store(i0 + i, x0i);
      Store(r0 + q + i, x1r);
      Store(i0 + q + i, x1i);
      Store(r0 + a + i, x2r);
      Store(i0 + a + i, x2i);
      Store(r0 + a + q + i, x3r);
      Store(i0 + a + q + i, x3i);
    }
  }
}

// The last two stages (spans 2 and 1) over the groups of 4 in [base, base + len), four groups
// at a time. Of each group only positions 0 and 2 are computed: they become bins below N/2.
// The sink receives the group index of the first of the four groups and the two results.
template <class Sink>
SONVUE_FFT_INLINE void LastPass(const double* re, const double* im, const Tables& t, size_t base,
                                size_t len, Sink& sink) {
  for (size_t g = base; g < base + len; g += 4 * kLanes) {
    const size_t r = g / 4;
    V4 x0r = Load(re + g), x1r = Load(re + g + 4), x2r = Load(re + g + 8), x3r = Load(re + g + 12);
    V4 x0i = Load(im + g), x1i = Load(im + g + 4), x2i = Load(im + g + 8), x3i = Load(im + g + 12);
    Transpose(x0r, x1r, x2r, x3r);
    Transpose(x0i, x1i, x2i, x3i);
    const V4 w1r = Load(t.twRe + r), w1i = Load(t.twIm + r);
    Butterfly(x0r, x0i, x2r, x2i, w1r, w1i);
    Butterfly(x1r, x1i, x3r, x3i, w1r, w1i);
    // Only the sums of the span-1 butterflies are needed.
    const V4 w2r = Load(t.w2Re + r), w2i = Load(t.w2Im + r);
    const V4 w3r = Load(t.w3Re + r), w3i = Load(t.w3Im + r);
    V4 lowR = x0r + (w2r * x1r - w2i * x1i);
    V4 lowI = x0i + (w2r * x1i + w2i * x1r);
    V4 highR = x2r + (w3r * x3r - w3i * x3i);
    V4 highI = x2i + (w3r * x3i + w3i * x3r);
    sink(r, lowR, lowI, highR, highI);
  }
}

// All stages of the transform of x; the sink receives the last stage's results.
template <class Sink>
SONVUE_FFT_INLINE void Run(const double* x, double* re, double* im, size_t n, int log2n,
                           const Tables& t, Sink& sink) {
  size_t group;  // size of the groups still to be transformed
  if (log2n % 2 == 0) {
    FirstPassRadix4(x, re, im, n, t);
    group = n / 4;
  } else {
    FirstPassRadix2(x, re, im, n);
    group = n / 2;
  }
  while (group > kChunkValues) {
    Pass(re, im, t, 0, n, group / 2);
    group /= 4;
  }
  const size_t chunk = n < kChunkValues ? n : kChunkValues;
  for (size_t base = 0; base < n; base += chunk) {
    for (size_t a = group / 2; a >= 8; a /= 4) Pass(re, im, t, base, chunk, a);
    LastPass(re, im, t, base, chunk, sink);
  }
}

SONVUE_FFT_INLINE V4 Abs(V4 v) { return v < 0 ? -v : v; }

// Squared magnitudes; the square roots follow in one loop the compiler vectorises.
struct PowerSink {
  double* low;
  double* high;
  SONVUE_FFT_INLINE void operator()(size_t r, V4 lr, V4 li, V4 hr, V4 hi) {
    Store(low + r, lr * lr + li * li);
    Store(high + r, hr * hr + hi * hi);
  }
};

struct FastMagnitudeSink {
  double* low;
  double* high;
  V4 scale;
  SONVUE_FFT_INLINE static V4 Approx(V4 re, V4 im) {
    V4 a = Abs(re), b = Abs(im);
    V4 larger = a > b ? a : b;
    V4 smaller = a > b ? b : a;
    return larger + smaller / 3.0;
  }
  SONVUE_FFT_INLINE void operator()(size_t r, V4 lr, V4 li, V4 hr, V4 hi) {
    Store(low + r, Approx(lr, li) * scale);
    Store(high + r, Approx(hr, hi) * scale);
  }
};

struct ComplexSink {
  double* lowRe;
  double* lowIm;
  double* highRe;
  double* highIm;
  SONVUE_FFT_INLINE void operator()(size_t r, V4 lr, V4 li, V4 hr, V4 hi) {
    Store(lowRe + r, lr);
    Store(lowIm + r, li);
    Store(highRe + r, hr);
    Store(highIm + r, hi);
  }
};

SONVUE_FFT_CLONES void RunMagnitudes(const double* x, double* re, double* im, size_t n,
                                     int log2n, const Tables& t, double* low, double* high) {
  PowerSink sink{low, high};
  Run(x, re, im, n, log2n, t, sink);
  const double scale = 2.0 / static_cast<double>(n);
  for (size_t r = 0; r < n / 4; ++r) {
    low[r] = __builtin_sqrt(low[r]) * scale;
    high[r] = __builtin_sqrt(high[r]) * scale;
  }
}

SONVUE_FFT_CLONES void RunFastMagnitudes(const double* x, double* re, double* im, size_t n,
                                         int log2n, const Tables& t, double* low, double* high) {
  FastMagnitudeSink sink{low, high, Splat(2.0 / static_cast<double>(n))};
  Run(x, re, im, n, log2n, t, sink);
}

SONVUE_FFT_CLONES void RunComplex(const double* x, double* re, double* im, size_t n, int log2n,
                                  const Tables& t, ComplexSink& sink) {
  Run(x, re, im, n, log2n, t, sink);
}

uint32_t ReverseBits(uint32_t v, int bits) {
  uint32_t r = 0;
  for (int i = 0; i < bits; ++i) {
    r = (r << 1) | (v & 1u);
    v >>= 1;
  }
  return r;
}

// The butterflies of the plain algorithm, for blocks too small for four-wide passes
// (N = 4, 8): x is copied into re/im and transformed there in place (no division by N, bins
// at their bit-reversed places).
void SmallTransform(const double* x, double* re, double* im, uint32_t n, const double* cosTable,
                    const double* sinTable) {
  for (uint32_t i = 0; i < n; ++i) {
    re[i] = x[i];
    im[i] = 0.0;
  }
  for (uint32_t a = n / 2; a >= 1; a /= 2) {
    uint32_t b = 0;
    for (uint32_t g = 0; g < n; g += 2 * a) {
      const double wr = cosTable[b], wi = sinTable[b];
      for (uint32_t k = g; k < g + a; ++k) {
        double tr = wr * re[k + a] - wi * im[k + a];
        double ti = wr * im[k + a] + wi * re[k + a];
        re[k + a] = re[k] - tr;
        im[k + a] = im[k] - ti;
        re[k] += tr;
        im[k] += ti;
      }
      uint32_t e = n / 4;
      while (e > 0 && b >= e) {
        b -= e;
        e /= 2;
      }
      b += e;
    }
  }
}

int Log2(uint32_t n) {
  int l = 0;
  while ((uint32_t{1} << l) < n) ++l;
  return l;
}

}  // namespace

void FftPlan::AlignedFree::operator()(double* p) const { std::free(p); }

void FftPlan::Clear() {
  blockSize_ = 0;
  log2Size_ = 0;
  re_.reset();
  im_.reset();
  twRe_.reset();
  twIm_.reset();
  lastW2Re_.reset();
  lastW2Im_.reset();
  lastW3Re_.reset();
  lastW3Im_.reset();
  low_.reset();
  high_.reset();
  lowIm_.reset();
  highIm_.reset();
  binOrder_.reset();
}

bool FftPlan::Build(uint32_t blockSize, const double* cosTable, const double* sinTable) {
  Clear();
  if (blockSize < 4 || (blockSize & (blockSize - 1)) != 0 || blockSize > (uint32_t{1} << 30)) {
    return false;
  }
  auto make = [](size_t count) {
    size_t bytes = (count * sizeof(double) + 63) / 64 * 64;
    return Buffer(static_cast<double*>(std::aligned_alloc(64, bytes)));
  };
  const uint32_t n = blockSize;
  const size_t quarter = n / 4 < kLanes ? kLanes : n / 4;
  re_ = make(n);
  im_ = make(n);
  twRe_ = make(n / 2);
  twIm_ = make(n / 2);
  lastW2Re_ = make(quarter);
  lastW2Im_ = make(quarter);
  lastW3Re_ = make(quarter);
  lastW3Im_ = make(quarter);
  low_ = make(quarter);
  high_ = make(quarter);
  lowIm_ = make(quarter);
  highIm_ = make(quarter);
  binOrder_.reset(new (std::nothrow) uint32_t[quarter]);
  if (!re_ || !im_ || !twRe_ || !twIm_ || !lastW2Re_ || !lastW2Im_ || !lastW3Re_ ||
      !lastW3Im_ || !low_ || !high_ || !lowIm_ || !highIm_ || !binOrder_) {
    Clear();
    return false;
  }
  blockSize_ = n;
  log2Size_ = Log2(n);
  // Group r of any stage uses the twiddle at the bit reversal of r over log2(N) - 1 bits.
  for (uint32_t r = 0; r < n / 2; ++r) {
    uint32_t b = ReverseBits(r, log2Size_ - 1);
    twRe_[r] = cosTable[b];
    twIm_[r] = sinTable[b];
  }
  for (uint32_t r = 0; r < n / 4; ++r) {
    lastW2Re_[r] = twRe_[2 * r];
    lastW2Im_[r] = twIm_[2 * r];
    lastW3Re_[r] = twRe_[2 * r + 1];
    lastW3Im_[r] = twIm_[2 * r + 1];
    binOrder_[r] = ReverseBits(r, log2Size_ - 2);
  }
  return true;
}

void FftPlan::Magnitudes(const double* x, bool fast, double* magnitudes) {
  const uint32_t n = blockSize_;
  if (n == 0) return;
  const size_t quarter = n / 4;
  if (n < 16) {
    // The bins through the plain algorithm, then the magnitudes as it computes them.
    Transform(x, magnitudes, lowIm_.get());
    for (uint32_t k = 0; k < n / 2; ++k) {
      double re = magnitudes[k], im = lowIm_[k];
      if (fast) {
        double a = std::fabs(re), b = std::fabs(im);
        magnitudes[k] = 2.0 * ((a > b ? a : b) + (a > b ? b : a) / 3.0);
      } else {
        magnitudes[k] = 2.0 * std::sqrt(re * re + im * im);
      }
    }
    return;
  }
  const Tables t{twRe_.get(), twIm_.get(), lastW2Re_.get(), lastW2Im_.get(), lastW3Re_.get(),
                 lastW3Im_.get()};
  if (fast) RunFastMagnitudes(x, re_.get(), im_.get(), n, log2Size_, t, low_.get(), high_.get());
  else RunMagnitudes(x, re_.get(), im_.get(), n, log2Size_, t, low_.get(), high_.get());
  const double* low = low_.get();
  const double* high = high_.get();
  const uint32_t* order = binOrder_.get();
  for (size_t k = 0; k < quarter; ++k) {
    magnitudes[k] = low[order[k]];
    magnitudes[quarter + k] = high[order[k]];
  }
}

void FftPlan::Transform(const double* x, double* outRe, double* outIm) {
  const uint32_t n = blockSize_;
  if (n == 0) return;
  const double inverse = 1.0 / static_cast<double>(n);
  if (n < 16) {
    // The plan keeps the twiddles in group order; the plain algorithm indexes the tables by
    // angle, and entry b is the twiddle of group ReverseBits(b).
    double cosTable[4], sinTable[4];
    for (uint32_t b = 0; b < n / 2; ++b) {
      uint32_t r = ReverseBits(b, log2Size_ - 1);
      cosTable[b] = twRe_[r];
      sinTable[b] = twIm_[r];
    }
    SmallTransform(x, re_.get(), im_.get(), n, cosTable, sinTable);
    for (uint32_t k = 0; k < n / 2; ++k) {
      uint32_t p = ReverseBits(k, log2Size_);
      outRe[k] = re_[p] * inverse;
      outIm[k] = im_[p] * inverse;
    }
    return;
  }
  const Tables t{twRe_.get(), twIm_.get(), lastW2Re_.get(), lastW2Im_.get(), lastW3Re_.get(),
                 lastW3Im_.get()};
  ComplexSink sink{low_.get(), lowIm_.get(), high_.get(), highIm_.get()};
  RunComplex(x, re_.get(), im_.get(), n, log2Size_, t, sink);
  const size_t quarter = n / 4;
  for (size_t k = 0; k < quarter; ++k) {
    const uint32_t r = binOrder_[k];
    outRe[k] = low_[r] * inverse;
    outIm[k] = lowIm_[r] * inverse;
    outRe[quarter + k] = high_[r] * inverse;
    outIm[quarter + k] = highIm_[r] * inverse;
  }
}
