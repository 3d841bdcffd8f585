#!/usr/bin/env python3
"""The numpy reference for scripts/bench-spectrum: the same averaged spectra as
  sonvue-cli spectrum IN.wav --block N --overlap K --window --channels L,R,M --csv
(averaging 4), with numpy's real-input FFT over the same blocks, written as the same CSV.
  numpy_spectrum.py IN.wav N OVERLAP
Every block of every channel is transformed, as the program's run does; blocks are taken in
chunks so that memory stays bounded."""
import struct
import sys

import numpy as np


def read_stereo16(path):
    raw = open(path, "rb").read()
    pos, rate, data = 12, 0, None
    while pos + 8 <= len(raw):
        tag, size = raw[pos:pos + 4], struct.unpack_from("<I", raw, pos + 4)[0]
        if tag == b"fmt ":
            channels, rate = struct.unpack_from("<HI", raw, pos + 10)
            bits = struct.unpack_from("<H", raw, pos + 22)[0]
            assert channels == 2 and bits == 16
        elif tag == b"data":
            data = np.frombuffer(raw, dtype="<i2", count=min(size, len(raw) - pos - 8) // 2, offset=pos + 8)
        pos += 8 + size + (size & 1)
    return rate, data.reshape(-1, 2)


def main():
    path, n, overlap = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    step = n - n * overlap * 25 // 100
    rate, samples = read_stereo16(path)
    frames = samples.shape[0]
    levels = samples.astype(np.float64) * 0.30517578125
    channels = [levels[:, 0], levels[:, 1], (levels[:, 0] + levels[:, 1]) / 2.0]

    starts = [0]
    position = step
    while position < frames:
        if position + n > frames:
            starts.append(frames - n)
            break
        starts.append(position)
        position += step
    starts = np.array(starts)

    window = ((1.0 - np.cos(2.0 * 3.14159265359 * np.arange(n) / n)) * 0.5).astype(np.float32).astype(np.float64)
    offsets = np.arange(n)
    chunk = max(1, (1 << 24) // n)
    means = []
    for x in channels:
        last = []
        for c in range(0, len(starts), chunk):
            idx = np.minimum(starts[c:c + chunk, None] + offsets, frames - 1)
            spectra = np.fft.rfft(x[idx] * window, axis=1)[:, : n // 2]
            mags = (np.abs(spectra) * (2.0 / n)).astype(np.float32)
            last = (list(last) + list(mags))[-4:]
        means.append(np.mean(np.array(last, dtype=np.float32), axis=0, dtype=np.float32) * 0.01)

    out = sys.stdout
    out.write("frequency_hz,L,R,M\n")
    freqs = np.arange(n // 2) * rate / n
    np.savetxt(out, np.column_stack([freqs] + means), fmt="%f", delimiter=",")


if __name__ == "__main__":
    main()
