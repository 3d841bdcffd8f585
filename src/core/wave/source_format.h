#pragma once
// What an imported audio file held before it was opened as the program's own 16-bit PCM,
// and the texts that report it: the English line of `sonvue-cli info`, the Japanese note of
// the information box and the Japanese message shown on opening.
#include <cstdint>
#include <string>

struct SourceFormat {
  std::string container;     // "FLAC", "WAVE", "AIFF", "Ogg", "MP3", ...
  int bitsPerSample = 0;     // integer or floating-point width; 0 for codecs without one
  bool floatingPoint = false;
  std::string codec;         // named encodings other than PCM ("Vorbis", "IMA ADPCM"); else empty
  uint32_t rateHz = 0;
  int channelCount = 0;
  // The channels opened, 1-based; secondChannel is 0 when the wave has one channel.
  int firstChannel = 1;
  int secondChannel = 0;

  bool operator==(const SourceFormat&) const = default;
};

// "FLAC, 24 bits, 96000 Hz, 6 channels"; "Ogg, Vorbis, 44100 Hz, 2 channels".
std::string DescribeSource(const SourceFormat& source);

// "source: FLAC, 24 bits, 96000 Hz, 6 channels; opened as 16 bits, 2 channels (1, 2)".
std::string SourceLine(const SourceFormat& source, int openedBits);

// The information box's note after the format line: "元：FLAC 24ﾋﾞｯﾄ 6ch(1,2)".
std::string SourceNoteJa(const SourceFormat& source);

// The first sentence of the message on opening: what the file was and what it became.
// "FLAC（24ビット、96000 Hz、6チャンネル）を16ビット・2チャンネルに変換して開きました。"
std::string ConversionSentenceJa(const SourceFormat& source, int openedBits);
