#pragma once
// The cubic spline of the format conversion: it runs through six equally spaced knots
// y0 .. y5 with end slopes prescribed as the conversion defines them (the slope of the last
// interval at the left end, and at the right end a condition in which 0 stands for the last
// difference quotient). Knot j stands at j knot spacings.
//
// The spline is linear in the knot values and its shape does not depend on the spacing, so
// a value inside interval j (from knot j to knot j + 1) at the fraction t of the way is a
// weighted sum of y0 .. y5 with weights that depend on j and t only. Converting a wave
// computes those weights once per output position instead of solving the spline per frame.
#include <array>
#include <cstddef>

using SplineKnots = std::array<double, 6>;

class SixPointSpline {
 public:
  SixPointSpline();

  // The second derivatives M0 .. M5 of the spline through y for a knot spacing of 1 (for a
  // spacing h they are these divided by h^2), by the tridiagonal recurrences.
  static SplineKnots Moments(const SplineKnots& y);

  // The weights w0 .. w5 of the value in interval j (0 .. 4) at the fraction t (0 .. 1):
  // the value is w0 y0 + ... + w5 y5. At t = 0 the weights pick y(j) exactly.
  // The coefficients c0 .. c5 of moment i: M(i) = c0 y0 + ... + c5 y5 (spacing 1).
  SplineKnots MomentRow(int i) const {
    SplineKnots row;
    for (size_t k = 0; k < 6; ++k) row[k] = momentsByKnot_[k][static_cast<size_t>(i)];
    return row;
  }

  SplineKnots Weights(int interval, double t) const {
    const auto j = static_cast<size_t>(interval);
    const double a = 1.0 - t;
    const double ca = (a * a * a - a) / 6.0;
    const double cb = (t * t * t - t) / 6.0;
    SplineKnots w;
    for (size_t k = 0; k < 6; ++k) w[k] = ca * momentsByKnot_[k][j] + cb * momentsByKnot_[k][j + 1];
    w[j] += a;
    w[j + 1] += t;
    return w;
  }

 private:
  // momentsByKnot_[k]: the moments of the spline through the unit knot vector e_k.
  std::array<SplineKnots, 6> momentsByKnot_;
};
