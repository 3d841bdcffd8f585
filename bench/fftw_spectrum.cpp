// The FFTW reference for scripts/bench-spectrum: the same averaged spectra as
//   sonvue-cli spectrum IN.wav --block N --overlap K --window --channels L,R,M --csv
// (averaging 4) computed with FFTW's real-input transform, written as the same CSV.
//   fftw_spectrum IN.wav N OVERLAP
// Reads 16-bit stereo PCM only. Independent of Sonvue's code: its own RIFF reading, block
// schedule (first block at 0, one per step, the last ending at the end) and averaging.
#include <fftw3.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fftw_spectrum IN.wav N OVERLAP\n");
    return 2;
  }
  const size_t n = std::strtoul(argv[2], nullptr, 10);
  const size_t overlap = std::strtoul(argv[3], nullptr, 10);
  const size_t step = n - n * overlap * 25 / 100;
  const size_t kSlots = 4;

  std::FILE* f = std::fopen(argv[1], "rb");
  if (!f) return 1;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  std::vector<uint8_t> file(static_cast<size_t>(size));
  if (std::fread(file.data(), 1, file.size(), f) != file.size()) return 1;
  std::fclose(f);

  uint32_t rate = 0;
  const uint8_t* data = nullptr;
  size_t dataBytes = 0;
  for (size_t pos = 12; pos + 8 <= file.size();) {
    const uint32_t chunk = U32(&file[pos + 4]);
    if (std::memcmp(&file[pos], "fmt ", 4) == 0) {
      if (U16(&file[pos + 10]) != 2 || U16(&file[pos + 22]) != 16) return 1;
      rate = U32(&file[pos + 12]);
    } else if (std::memcmp(&file[pos], "data", 4) == 0) {
      data = &file[pos + 8];
      dataBytes = std::min<size_t>(chunk, file.size() - pos - 8);
    }
    pos += 8 + chunk + (chunk & 1);
  }
  if (!data || rate == 0) return 1;
  const size_t frames = dataBytes / 4;
  if (frames < n) return 1;

  // Level scale as the program reads 16-bit samples: full scale 10000.
  std::vector<double> window(n);
  for (size_t i = 0; i < n; ++i) {
    window[i] = static_cast<float>((1.0 - std::cos(2.0 * 3.14159265359 * double(i) / double(n))) * 0.5);
  }
  double* in = fftw_alloc_real(n);
  fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
  // FFTW_MEASURE costs a few tens of milliseconds once and gives the fastest plan.
  fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), in, out, FFTW_MEASURE);
  std::vector<float> ring[3];
  for (auto& r : ring) r.assign(kSlots * n / 2, 0.0f);
  size_t slot = 0, used = 0;

  // The three channels of one block, read with tight loops (a block that reaches past the
  // end repeats the last frame, as the program reads it).
  std::vector<double> left(n), right(n), mono(n);
  double* channel[3] = {left.data(), right.data(), mono.data()};
  auto analyse = [&](size_t start) {
    const size_t inside = start + n <= frames ? n : frames - start;
    const uint8_t* p = data + 4 * start;
    for (size_t i = 0; i < inside; ++i) {
      int16_t s[2];
      std::memcpy(s, p + 4 * i, 4);
      left[i] = s[0] * 0.30517578125;
      right[i] = s[1] * 0.30517578125;
      mono[i] = (s[0] + s[1]) * (0.30517578125 / 2);
    }
    for (size_t i = inside; i < n; ++i) {
      left[i] = left[inside - 1];
      right[i] = right[inside - 1];
      mono[i] = mono[inside - 1];
    }
    for (int c = 0; c < 3; ++c) {
      const double* x = channel[c];
      for (size_t i = 0; i < n; ++i) in[i] = x[i] * window[i];
      fftw_execute(plan);
      float* target = &ring[c][slot * n / 2];
      const double scale = 2.0 / double(n);
      for (size_t k = 0; k < n / 2; ++k) {
        target[k] = static_cast<float>(scale * std::sqrt(out[k][0] * out[k][0] + out[k][1] * out[k][1]));
      }
    }
    slot = (slot + 1) % kSlots;
    used = std::min(used + 1, kSlots);
  };
  size_t position = 0;
  analyse(position);
  position += step;
  while (position < frames) {
    if (position + n > frames) {
      analyse(frames - n);
      break;
    }
    analyse(position);
    position += step;
  }

  std::printf("frequency_hz,L,R,M\n");
  for (size_t k = 0; k < n / 2; ++k) {
    std::printf("%f", double(k) * rate / double(n));
    for (int c = 0; c < 3; ++c) {
      float sum = 0.0f;
      for (size_t s = 0; s < used; ++s) sum += ring[c][s * n / 2 + k];
      std::printf(",%f", (sum / float(used)) * 0.01);
    }
    std::printf("\n");
  }
  fftw_destroy_plan(plan);
  fftw_free(in);
  fftw_free(out);
  return 0;
}
