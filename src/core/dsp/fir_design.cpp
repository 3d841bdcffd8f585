#include "core/dsp/fir_design.h"

#include <cmath>

namespace {

// The design's own constants: its taps are defined with these roundings of pi.
constexpr double kPi = 3.1415926535898;
constexpr double kTwoPi = 6.2831853071796;
constexpr int kBesselTerms = 19;

}  // namespace

double KaiserBeta(double attenuationDb) {
  const double a = attenuationDb;
  if (a >= 50.0) return 0.1102 * (a - 8.7);
  if (a >= 21.0) return 0.5842 * std::pow(a - 21.0, 0.4) + 0.07886 * (a - 21.0);
  return 0.0;
}

double BesselI0(double x) {
  const double half = x / 2.0;
  double sum = 1.0;
  double term = 1.0;  // (x/2)^k / k!
  for (int k = 1; k <= kBesselTerms; ++k) {
    term *= half / k;
    sum += term * term;
  }
  return sum;
}

double PrototypeCutoffKHz(FilterType type, double f1KHz, double f2KHz, double fsKHz) {
  switch (type) {
    case FilterType::kLowPass: return f1KHz;
    case FilterType::kHighPass: return fsKHz / 2.0 - f1KHz;
    case FilterType::kBandPass:
    case FilterType::kBandStop: return (f2KHz - f1KHz) / 2.0;
  }
  return f1KHz;
}

std::vector<double> DesignFir(const FirDesign& d) {
  const int n = d.order;
  if (n < kMinFilterOrder || n > kMaxFilterOrder || !(d.fsKHz > 0.0)) return {};
  const int m = n / 2;
  const double fs = d.fsKHz;
  const double fc = PrototypeCutoffKHz(d.type, d.f1KHz, d.f2KHz, fs);
  const double beta = KaiserBeta(d.attenuationDb);
  const double i0Beta = BesselI0(beta);

  // The half response h(0) .. h(M) of the prototype, windowed.
  std::vector<double> h(static_cast<size_t>(m) + 1);
  h[0] = 2.0 * fc / fs;
  for (int i = 1; i <= m; ++i) {
    const double r = 2.0 * i / n;
    const double w = BesselI0(beta * std::sqrt(1.0 - r * r)) / i0Beta;
    h[i] = std::sin(kTwoPi * i * fc / fs) / (kPi * i) * w;
  }

  // Unit gain at 0 Hz.
  double gain = 0.0;
  for (int i = 1; i <= m; ++i) gain += h[i];
  gain = h[0] + 2.0 * gain;
  for (double& v : h) v /= gain;

  const double w0 = kPi * (d.f1KHz + d.f2KHz) / fs;
  switch (d.type) {
    case FilterType::kLowPass: break;
    case FilterType::kHighPass:
      for (int i = 1; i <= m; i += 2) h[i] = -h[i];
      break;
    case FilterType::kBandPass:
      for (int i = 0; i <= m; ++i) h[i] = 2.0 * std::cos(i * w0) * h[i];
      break;
    case FilterType::kBandStop:
      h[0] = 1.0 - 2.0 * h[0];
      for (int i = 1; i <= m; ++i) h[i] = -2.0 * std::cos(i * w0) * h[i];
      break;
  }

  std::vector<double> taps(static_cast<size_t>(n) + 1, 0.0);
  for (int k = 0; k <= 2 * m; ++k) taps[k] = h[std::abs(k - m)];
  for (double c : taps) {
    if (!std::isfinite(c)) return {};
  }
  return taps;
}
