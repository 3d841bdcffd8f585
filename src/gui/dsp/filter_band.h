#pragma once
// What the filter settings dialog does with its fields, without a window: reading the band
// edges ("min" and "max" stand for 0 Hz and the Nyquist frequency), turning edges and
// pass/stop into a filter type, and the logarithmic frequency axis of the drawn
// characteristic. Frequencies are whole hertz here; the filter itself takes kHz.
#include <string>
#include <vector>

#include "core/dsp/fir_design.h"

// An edge field: "min" (low field) or "max" (high field), or the leading whole number as
// "%d" reads it; an unreadable low field counts as 0, an unreadable high field as Nyquist.
int ReadLowEdge(const std::string& text);
int ReadHighEdge(const std::string& text, int nyquistHz);
// The text an edge is shown as: "min" for 0 Hz or less in the low field, "max" for Nyquist
// or more in the high field, otherwise the number.
std::string LowEdgeText(int hz);
std::string HighEdgeText(int hz, int nyquistHz);

// The two fields read and put in ascending order.
struct FilterEdges {
  int lowHz = 0;
  int highHz = 0;
};
FilterEdges ReadEdges(const std::string& lowText, const std::string& highText, int nyquistHz);

// The filter the edges describe: with a low edge above 0 a band (band-pass, or band-stop
// for stop) when the high edge lies below Nyquist, else a high-pass (low-pass for stop) at
// the low edge; with "min" a low-pass (high-pass for stop) at the high edge, which must lie
// strictly between 0 and Nyquist. A band whose edges are equal is invalid.
struct FilterChoice {
  bool valid = false;
  FilterType type = FilterType::kLowPass;
  double f1KHz = 0.0;
  double f2KHz = 0.0;
};
FilterChoice ChooseFilter(const FilterEdges& edges, bool stop, int nyquistHz);

// The characteristic's frequency axis: x = a log10 f + b, 100 Hz at x = 0 and the Nyquist
// frequency at x = width.
class LogFrequencyAxis {
 public:
  LogFrequencyAxis(int widthPx, int nyquistHz);
  double X(double hz) const;
  // The whole hertz under x: (int) 10^((x - b) / a).
  int FrequencyAt(double x) const;
  // The decades 10^2, 10^3, ... up to the decade of the Nyquist frequency, and their labels
  // ("100", "1k", "10k").
  struct Decade {
    int hz;
    std::string label;
  };
  std::vector<Decade> Decades() const;
  // Grid lines at 1, 2, ... 10 times each decade, inside the axis.
  std::vector<int> GridFrequencies() const;

 private:
  double a_;
  double b_;
  int widthPx_;
  int nyquistHz_;
};

// The text shown while a band is dragged: "%dHz ～ " or "min ～ ", then "%dHz" or "max".
std::string BandText(int fromHz, int toHz, int nyquistHz);
