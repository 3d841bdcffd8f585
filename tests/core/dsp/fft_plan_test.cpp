// The fast transform against the plain radix-2 algorithm that defines the engine's results,
// and against a naive long-double DFT.
#include "core/dsp/fft_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/dsp/fft.h"

namespace {

// The engine's tables for N, built as the engine builds them.
struct Tables {
  std::vector<double> cosine, sine;
  explicit Tables(uint32_t n) : cosine(n / 2), sine(n / 2) {
    const double pi = 3.14159265359;
    for (uint32_t i = 0; i < n / 2; ++i) {
      sine[i] = std::sin(-2.0 * pi * i / n);
      cosine[i] = std::cos(2.0 * pi * i / n);
    }
  }
};

// The algorithm as described, written plainly: butterflies over the spans N/2 .. 1 with the
// twiddle counter in bit-reversed order, division by N, bit-reversal reordering.
void PlainRadix2(std::vector<double>& re, std::vector<double>& im, const Tables& t) {
  const uint32_t n = static_cast<uint32_t>(re.size());
  for (uint32_t a = n / 2; a >= 1; a /= 2) {
    uint32_t b = 0;
    for (uint32_t g = 0; g < n; g += 2 * a) {
      const double wr = t.cosine[b], wi = t.sine[b];
      for (uint32_t k = g; k < g + a; ++k) {
        const double tr = wr * re[k + a] - wi * im[k + a];
        const double ti = wr * im[k + a] + wi * re[k + a];
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
  for (uint32_t i = 0; i < n; ++i) {
    re[i] /= n;
    im[i] /= n;
  }
  uint32_t j = 0;
  for (uint32_t i = 0; i + 1 < n; ++i) {
    if (i <= j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
    uint32_t m = n / 2;
    while (m >= 1 && m <= j) {
      j -= m;
      m /= 2;
    }
    j += m;
  }
}

std::vector<double> Noise(uint32_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> level(-10000.0, 10000.0);
  std::vector<double> x(n);
  for (double& v : x) v = level(rng);
  return x;
}

}  // namespace

// The plan performs the same butterflies with the same twiddles in the same order, so every
// bin must come out bit for bit; a wrong twiddle order or a skipped stage changes digits far
// above the last one.
TEST(FftPlan, EqualsThePlainAlgorithmBitForBitAtEverySize) {
  for (uint32_t n = 4; n <= 65536; n *= 2) {
    const Tables t(n);
    FftPlan plan;
    ASSERT_TRUE(plan.Build(n, t.cosine.data(), t.sine.data())) << n;
    std::vector<std::vector<double>> inputs = {Noise(n, n)};
    std::vector<double> impulse(n, 0.0);
    impulse[n / 2 - 1] = 7777.0;
    inputs.push_back(impulse);
    for (const auto& x : inputs) {
      std::vector<double> re = x, im(n, 0.0);
      PlainRadix2(re, im, t);
      std::vector<double> fastRe(n / 2), fastIm(n / 2), magnitudes(n / 2), approx(n / 2);
      plan.Transform(x.data(), fastRe.data(), fastIm.data());
      plan.Magnitudes(x.data(), false, magnitudes.data());
      plan.Magnitudes(x.data(), true, approx.data());
      int mismatches = 0;
      for (uint32_t k = 0; k < n / 2; ++k) {
        const double larger = std::max(std::fabs(re[k]), std::fabs(im[k]));
        const double smaller = std::min(std::fabs(re[k]), std::fabs(im[k]));
        mismatches += fastRe[k] != re[k] || fastIm[k] != im[k];
        mismatches += magnitudes[k] != 2.0 * std::sqrt(re[k] * re[k] + im[k] * im[k]);
        mismatches += approx[k] != 2.0 * (larger + smaller / 3.0);
      }
      EXPECT_EQ(mismatches, 0) << "N = " << n;
    }
  }
}

// Against the definition X_k = (1/N) sum x_n e^(-j 2 pi k n / N) with the true pi, in long
// double. The tables' pi = 3.14159265359 is 2.1e-13 above pi, which turns each twiddle by up
// to that angle; over log2(N) stages bins then move by up to about 1e-12 of the largest bin
// (1.1e-12 measured at N = 65536 for noise). Allow 2e-12; rounding alone is near 1e-15.
TEST(FftPlan, AgreesWithALongDoubleDftUpToTheTablesPi) {
  for (uint32_t n : {8u, 256u, 2048u}) {
    const Tables t(n);
    FftPlan plan;
    ASSERT_TRUE(plan.Build(n, t.cosine.data(), t.sine.data()));
    const std::vector<double> x = Noise(n, 99);
    std::vector<double> re(n / 2), im(n / 2);
    plan.Transform(x.data(), re.data(), im.data());
    const long double pi = 3.141592653589793238462643383279503L;
    long double largest = 0, worst = 0;
    for (uint32_t k = 0; k < n / 2; ++k) {
      long double sr = 0, si = 0;
      for (uint32_t i = 0; i < n; ++i) {
        const long double angle = -2 * pi * static_cast<long double>((uint64_t{i} * k) % n) / n;
        sr += x[i] * std::cos(angle);
        si += x[i] * std::sin(angle);
      }
      sr /= n;
      si /= n;
      largest = std::max(largest, std::hypot(sr, si));
      worst = std::max(worst, std::hypot(sr - re[k], si - im[k]));
    }
    EXPECT_LT(worst, 2e-12L * largest) << "N = " << n;
  }
}

TEST(FftPlan, RefusesSizesThatAreNotPowersOfTwoOfAtLeastFour) {
  const Tables t(1024);
  FftPlan plan;
  for (uint32_t n : {0u, 1u, 2u, 3u, 6u, 1000u}) {
    EXPECT_FALSE(plan.Build(n, t.cosine.data(), t.sine.data())) << n;
    EXPECT_EQ(plan.BlockSize(), 0u);
  }
  EXPECT_TRUE(plan.Build(1024, t.cosine.data(), t.sine.data()));
}
