#pragma once
// Linear-phase FIR filters designed by the window method with a Kaiser window.
//
// Frequencies are in kHz, as the filter dialog hands them over; the sampling rate enters as
// fsKHz = rate in Hz x 0.001. A filter of order N has N + 1 taps c(0) .. c(N), symmetric
// about the centre tap c(M), M = N / 2; filtered output lags its input by M frames. The
// gain at 0 Hz of the low-pass prototype is exactly 1 (up to rounding).
//
// Odd orders: the design defines the taps c(0) .. c(2M) only; the tap c(N) that an odd N
// leaves over is 0. An odd order therefore filters with the 2M + 1 taps of its window
// (computed with N as given) and lags by M frames.
#include <vector>

enum class FilterType : int { kLowPass = 0, kHighPass = 1, kBandPass = 2, kBandStop = 3 };

inline constexpr int kMinFilterOrder = 2;
inline constexpr int kMaxFilterOrder = 300;

struct FirDesign {
  FilterType type = FilterType::kBandPass;
  int order = 200;
  double f1KHz = 1.0;  // the only edge of a low-pass or high-pass, the low edge of a band
  double f2KHz = 2.0;  // the high edge of a band; unused otherwise
  double attenuationDb = 50.0;
  double fsKHz = 44.1;
};

// The Kaiser window's beta for a stop-band attenuation A in dB: 0.1102 (A - 8.7) from 50 dB
// on, 0.5842 (A - 21)^0.4 + 0.07886 (A - 21) from 21 dB, and 0 (a rectangular window) below.
double KaiserBeta(double attenuationDb);

// The modified Bessel function I0 as the power series 1 + sum over k = 1 .. 19 of
// ((x/2)^k / k!)^2, the series the window is defined with.
double BesselI0(double x);

// The cutoff of the low-pass prototype: f1 for a low-pass, fs/2 - f1 for a high-pass (the
// prototype is then mirrored at the Nyquist frequency), (f2 - f1) / 2 for the band types
// (the prototype is then moved to the band's centre).
double PrototypeCutoffKHz(FilterType type, double f1KHz, double f2KHz, double fsKHz);

// The N + 1 taps c(0) .. c(N). Empty when the design is refused: an order outside
// kMinFilterOrder .. kMaxFilterOrder, a sampling rate that is not positive, or a tap that is
// not a finite number.
std::vector<double> DesignFir(const FirDesign& design);
