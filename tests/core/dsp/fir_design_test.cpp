// The Kaiser-window design: the beta rule, the I0 series, the prototype cutoffs, and the
// taps' gains at the frequencies each filter type must pass or stop.
#include "core/dsp/fir_design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

namespace {

// |H(f)| of a tap set at f kHz for the sampling rate fs kHz.
double Gain(const std::vector<double>& taps, double fKHz, double fsKHz) {
  double re = 0, im = 0;
  for (size_t k = 0; k < taps.size(); ++k) {
    const double w = 2 * M_PI * fKHz / fsKHz * static_cast<double>(k);
    re += taps[k] * std::cos(w);
    im -= taps[k] * std::sin(w);
  }
  return std::hypot(re, im);
}

FirDesign Design(FilterType type, int order, double f1, double f2, double db, double fs) {
  FirDesign d;
  d.type = type;
  d.order = order;
  d.f1KHz = f1;
  d.f2KHz = f2;
  d.attenuationDb = db;
  d.fsKHz = fs;
  return d;
}

}  // namespace

TEST(KaiserBeta, FollowsTheThreeRangesOfTheRule) {
  struct Case {
    double db, beta;
  } cases[] = {
      {50, 0.1102 * 41.3},  // the dialog's default: 4.55126
      {60, 0.1102 * 51.3},
      {49, 0.5842 * std::pow(28.0, 0.4) + 0.07886 * 28.0},
      {21, 0.0},
      {20, 0.0},  // a rectangular window
      {-5, 0.0},
  };
  for (const Case& c : cases) EXPECT_NEAR(KaiserBeta(c.db), c.beta, 1e-12) << c.db;
  EXPECT_NEAR(KaiserBeta(50), 4.55126, 1e-12);
}

TEST(BesselI0, MatchesTheFunctionWhereTheSeriesConverges) {
  // 19 terms after the 1: the first term left out, ((x/2)^20 / 20!)^2, is 5e-16 of I0(x)
  // at x = 8 (beta of 80 dB) and 5e-13 at x = 10 (100 dB).
  for (double x : {0.0, 0.5, 1.0, 4.55126, 8.0}) {
    EXPECT_NEAR(BesselI0(x), std::cyl_bessel_i(0.0, x), 1e-14 * std::cyl_bessel_i(0.0, x)) << x;
  }
  EXPECT_NEAR(BesselI0(10.0), std::cyl_bessel_i(0.0, 10.0), 1e-12 * std::cyl_bessel_i(0.0, 10.0));
  EXPECT_EQ(BesselI0(0.0), 1.0);
}

TEST(FirDesign, PrototypeCutoffPerType) {
  EXPECT_DOUBLE_EQ(PrototypeCutoffKHz(FilterType::kBandPass, 1.0, 2.0, 44.1), 0.5);  // the defaults
  EXPECT_DOUBLE_EQ(PrototypeCutoffKHz(FilterType::kBandStop, 1.0, 2.0, 44.1), 0.5);
  EXPECT_DOUBLE_EQ(PrototypeCutoffKHz(FilterType::kLowPass, 3.0, 0.0, 44.1), 3.0);
  EXPECT_DOUBLE_EQ(PrototypeCutoffKHz(FilterType::kHighPass, 3.0, 0.0, 44.1), 22.05 - 3.0);
}

TEST(FirDesign, TapsAreSymmetricAboutTheCentre) {
  for (FilterType t : {FilterType::kLowPass, FilterType::kHighPass, FilterType::kBandPass, FilterType::kBandStop}) {
    std::vector<double> c = DesignFir(Design(t, 200, 3.0, 6.0, 50, 44.1));
    ASSERT_EQ(c.size(), 201u);
    for (size_t k = 0; k <= 200; ++k) EXPECT_EQ(c[k], c[200 - k]);
  }
}

TEST(FirDesign, LowPassHasUnitGainAtZeroHertz) {
  std::vector<double> c = DesignFir(Design(FilterType::kLowPass, 150, 4.0, 0, 60, 44.1));
  EXPECT_NEAR(std::accumulate(c.begin(), c.end(), 0.0), 1.0, 1e-14);
}

TEST(FirDesign, EachTypePassesAndStopsWhereItShould) {
  // 60 dB design, order 300 at 44.1 kHz: a transition band of about 0.5 kHz; test well
  // outside it. Pass-band ripple and stop-band gain of the Kaiser design are about 1e-3.
  const double fs = 44.1;
  struct Case {
    FilterType type;
    double f1, f2;
    std::vector<double> pass, stop;
  } cases[] = {
      {FilterType::kLowPass, 3.0, 0, {0.0, 1.0, 2.0}, {4.5, 10.0, 20.0}},
      {FilterType::kHighPass, 3.0, 0, {4.5, 10.0, 20.0}, {0.0, 1.0, 2.0}},
      {FilterType::kBandPass, 3.0, 6.0, {4.0, 4.5, 5.0}, {0.0, 1.5, 8.0, 15.0}},
      {FilterType::kBandStop, 3.0, 6.0, {0.0, 1.5, 8.0, 15.0}, {4.0, 4.5, 5.0}},
  };
  for (const Case& c : cases) {
    std::vector<double> taps = DesignFir(Design(c.type, 300, c.f1, c.f2, 60, fs));
    ASSERT_EQ(taps.size(), 301u);
    for (double f : c.pass) EXPECT_NEAR(Gain(taps, f, fs), 1.0, 3e-3) << int(c.type) << " at " << f;
    for (double f : c.stop) EXPECT_LT(Gain(taps, f, fs), 3e-3) << int(c.type) << " at " << f;
  }
}

TEST(FirDesign, TwentyDecibelsGiveTheUnwindowedResponse) {
  // beta 0: every window value is 1, so the taps are the truncated sinc, normalised.
  const double fs = 8.0, fc = 1.0;
  std::vector<double> c = DesignFir(Design(FilterType::kLowPass, 20, fc, 0, 20, fs));
  ASSERT_EQ(c.size(), 21u);
  for (int n = 1; n <= 10; ++n) {
    const double sinc = std::sin(6.2831853071796 * n * fc / fs) / (3.1415926535898 * n);
    EXPECT_NEAR(c[10 + n] / c[10], sinc / (2 * fc / fs), 1e-12) << n;
  }
}

TEST(FirDesign, OddOrdersEndWithAZeroTap) {
  std::vector<double> c = DesignFir(Design(FilterType::kLowPass, 201, 3.0, 0, 50, 44.1));
  ASSERT_EQ(c.size(), 202u);
  EXPECT_EQ(c[201], 0.0);
  for (size_t k = 0; k <= 200; ++k) EXPECT_EQ(c[k], c[200 - k]);  // centred on c(100)
  EXPECT_NEAR(std::accumulate(c.begin(), c.end(), 0.0), 1.0, 1e-14);
}

TEST(FirDesign, RefusesOrdersOutsideTheRangeAndRatesThatAreNotPositive) {
  EXPECT_TRUE(DesignFir(Design(FilterType::kLowPass, 1, 3, 0, 50, 44.1)).empty());
  EXPECT_TRUE(DesignFir(Design(FilterType::kLowPass, 301, 3, 0, 50, 44.1)).empty());
  EXPECT_TRUE(DesignFir(Design(FilterType::kLowPass, 100, 3, 0, 50, 0.0)).empty());
  EXPECT_EQ(DesignFir(Design(FilterType::kLowPass, 2, 3, 0, 50, 44.1)).size(), 3u);
  EXPECT_EQ(DesignFir(Design(FilterType::kLowPass, 300, 3, 0, 50, 44.1)).size(), 301u);
}
