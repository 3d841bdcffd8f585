#include "gui/dsp/filter_band.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kAxisStartHz = 100.0;

// The leading whole number, as "%d" reads it (white space first, an optional sign).
bool ReadInt(const std::string& text, int& value) {
  const char* s = text.c_str();
  char* end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (end == s) return false;
  value = static_cast<int>(std::clamp<long>(v, -2147483647L - 1, 2147483647L));
  return true;
}

}  // namespace

int ReadLowEdge(const std::string& text) {
  int v = 0;
  if (text == "min" || !ReadInt(text, v)) return 0;
  return v;
}

int ReadHighEdge(const std::string& text, int nyquistHz) {
  int v = 0;
  if (text == "max" || !ReadInt(text, v)) return nyquistHz;
  return v;
}

std::string LowEdgeText(int hz) { return hz <= 0 ? "min" : std::to_string(hz); }

std::string HighEdgeText(int hz, int nyquistHz) { return hz >= nyquistHz ? "max" : std::to_string(hz); }

FilterEdges ReadEdges(const std::string& lowText, const std::string& highText, int nyquistHz) {
  FilterEdges e{ReadLowEdge(lowText), ReadHighEdge(highText, nyquistHz)};
  if (e.lowHz > e.highHz) std::swap(e.lowHz, e.highHz);
  return e;
}

FilterChoice ChooseFilter(const FilterEdges& edges, bool stop, int nyquistHz) {
  FilterChoice c;
  const int low = edges.lowHz;
  const int high = edges.highHz;
  if (low > 0) {
    if (high < nyquistHz) {
      c.type = stop ? FilterType::kBandStop : FilterType::kBandPass;
      c.f1KHz = low * 0.001;
      c.f2KHz = high * 0.001;
      c.valid = low != high;
    } else {
      c.type = stop ? FilterType::kLowPass : FilterType::kHighPass;
      c.f1KHz = low * 0.001;
      c.f2KHz = high * 0.001;
      c.valid = low < nyquistHz;
    }
  } else {
    c.type = stop ? FilterType::kHighPass : FilterType::kLowPass;
    c.f1KHz = high * 0.001;
    c.f2KHz = high * 0.001;
    c.valid = high > 0 && high < nyquistHz;
  }
  return c;
}

LogFrequencyAxis::LogFrequencyAxis(int widthPx, int nyquistHz) : widthPx_(widthPx), nyquistHz_(nyquistHz) {
  const double span = std::log10(std::max(nyquistHz, 101)) - std::log10(kAxisStartHz);
  a_ = widthPx / span;
  b_ = -a_ * std::log10(kAxisStartHz);
}

double LogFrequencyAxis::X(double hz) const { return a_ * std::log10(std::max(hz, 1.0)) + b_; }

int LogFrequencyAxis::FrequencyAt(double x) const { return static_cast<int>(std::pow(10.0, (x - b_) / a_)); }

std::vector<LogFrequencyAxis::Decade> LogFrequencyAxis::Decades() const {
  std::vector<Decade> d;
  for (long hz = 100; hz <= nyquistHz_; hz *= 10) {
    const int v = static_cast<int>(hz);
    d.push_back({v, v >= 1000 ? std::to_string(v / 1000) + "k" : std::to_string(v)});
  }
  return d;
}

std::vector<int> LogFrequencyAxis::GridFrequencies() const {
  std::vector<int> g;
  for (long decade = 100; decade <= nyquistHz_; decade *= 10) {
    for (long m = 1; m <= 10; ++m) {
      const double x = X(static_cast<double>(decade * m));
      if (x >= 0 && x <= widthPx_) g.push_back(static_cast<int>(decade * m));
    }
  }
  g.erase(std::unique(g.begin(), g.end()), g.end());
  return g;
}

std::string BandText(int fromHz, int toHz, int nyquistHz) {
  std::string s = fromHz <= 0 ? "min ～ " : std::to_string(fromHz) + "Hz ～ ";
  s += toHz >= nyquistHz ? "max" : std::to_string(toHz) + "Hz";
  return s;
}
