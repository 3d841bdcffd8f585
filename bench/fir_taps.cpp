// Prints the taps of a filter design, one per line with full precision, as SoX's FIR effect
// reads them: fir_taps TYPE(lp|hp|bp|bs) ORDER F1_HZ F2_HZ ATTENUATION_DB RATE_HZ
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/dsp/fir_design.h"

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: fir_taps lp|hp|bp|bs ORDER F1_HZ F2_HZ ATTENUATION_DB RATE_HZ\n");
    return 2;
  }
  const char* const names[] = {"lp", "hp", "bp", "bs"};
  FirDesign d;
  int type = -1;
  for (int i = 0; i < 4; ++i) {
    if (std::strcmp(argv[1], names[i]) == 0) type = i;
  }
  if (type < 0) return 2;
  d.type = static_cast<FilterType>(type);
  d.order = std::atoi(argv[2]);
  d.f1KHz = std::atof(argv[3]) * 0.001;
  d.f2KHz = std::atof(argv[4]) * 0.001;
  d.attenuationDb = std::atof(argv[5]);
  d.fsKHz = std::atof(argv[6]) * 0.001;
  for (double c : DesignFir(d)) std::printf("%.17g\n", c);
  return 0;
}
