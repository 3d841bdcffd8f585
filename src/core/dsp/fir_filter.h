#pragma once
// Applying an FIR filter: the direct-form sum over a span of samples, and filtering one
// channel of a wave in place.
#include <cstddef>
#include <span>

class CWave;
class WorkProgress;

// out[i] = the sum over k = 0 .. taps.size() - 1 of taps[k] x in[i - k], for i = 0 .. count - 1;
// the taps.size() - 1 samples before in[0] must be readable (history, zeros at the start of a
// signal). Every sum starts from 0 and adds its terms in the order k = 0, 1, 2, ..., so the
// results equal those of the one-output-at-a-time loop bit for bit, whatever the instruction
// set or how a signal is cut into calls. Many outputs are computed together for speed.
void FirDirectForm(std::span<const double> taps, const double* in, double* out, size_t count);

// Filters one channel of the wave in place (selector 1 left or the only channel, 2 right,
// 3 both with the mean as input): for every frame i the input is GetSample(i, selector) on
// the 16-bit scale, the output the direct-form sum over taps c(0) .. c(N) of the inputs
// i, i-1, ..., i-N (0 before the first frame), truncated toward zero, limited to
// -32768 .. 32767 and written with SetSample(i, y, selector). The output lags by N/2
// frames and the response to the end of the wave is not produced.
// Every kPumpIntervalFrames frames, frame 0 included, the progress (if any) is told the
// frame reached; false when it asked to stop (the frames before that point are already
// filtered), true when every frame is done.
bool ApplyFilter(CWave& wave, std::span<const double> taps, int selector,
                 WorkProgress* progress = nullptr);
