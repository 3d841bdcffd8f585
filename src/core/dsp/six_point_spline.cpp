#include "core/dsp/six_point_spline.h"

SplineKnots SixPointSpline::Moments(const SplineKnots& y) {
  // Both ends take the last interval's slope; the right end has 0 where its own difference
  // quotient would stand. Spacing 1.
  const double slopeLast = y[5] - y[4];
  SplineKnots q{};
  SplineKnots u{};
  q[0] = -0.5;
  u[0] = 3.0 * ((y[1] - y[0]) - slopeLast);
  for (size_t i = 1; i <= 4; ++i) {
    const double p = q[i - 1] / 2.0 + 2.0;
    q[i] = -0.5 / p;
    u[i] = (3.0 * ((y[i + 1] - y[i]) - (y[i] - y[i - 1])) - u[i - 1] / 2.0) / p;
  }
  SplineKnots m{};
  m[5] = (3.0 * slopeLast - u[4] / 2.0) / (q[4] / 2.0 + 1.0);
  for (size_t i = 5; i-- > 0;) m[i] = q[i] * m[i + 1] + u[i];
  return m;
}

SixPointSpline::SixPointSpline() {
  for (size_t k = 0; k < 6; ++k) {
    SplineKnots e{};
    e[k] = 1.0;
    momentsByKnot_[k] = Moments(e);
  }
}
