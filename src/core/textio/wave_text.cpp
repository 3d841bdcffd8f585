#include "core/textio/wave_text.h"

#include "core/io/cp932.h"
#include "core/platform/hooks.h"
#include "core/wave/wave.h"

namespace {

// Per cent of full scale for one step of the sample scale: 100 / 32768, exact in binary.
constexpr double kPercentPerSample = 0.0030517578125;

// The columns a row holds: left and right exist for two-channel waves only.
struct WaveColumns {
  bool time = false;
  bool left = false;
  bool right = false;
  bool mono = false;
};

WaveColumns ColumnsOf(const CWave& wave, const WaveTextChannels& channels,
                      const TextOutOptions& options) {
  const bool stereo = wave.Channels() >= 2;
  return {options.stepColumn, stereo && channels.left, stereo && channels.right, channels.mono};
}

// Title, conditions and column names in UTF-8.
std::string Head(const CWave& wave, const WaveColumns& columns, const TextOutOptions& options,
                 const char* lineEnd) {
  std::string out = "ウェーブデータ";
  out += lineEnd;
  if (options.conditions) {
    auto line = [&](const char* name, int64_t value) {
      out += name;
      out += options.delimiter;
      AppendInteger(out, value);
      out += lineEnd;
    };
    line("サンプリング周波数(Hz)", wave.Rate());
    line("データビットサイズ(bits)", wave.Bits());
    line("チャンネル数", wave.Channels());
    line("総サンプル数(samples)", wave.FrameCount());
  }
  if (options.columnNames) {
    bool first = true;
    auto name = [&](bool shown, const char* text) {
      if (!shown) return;
      if (!first) out += options.delimiter;
      out += text;
      first = false;
    };
    name(columns.time, "時間(sec)");
    name(columns.left, "Ｌchレベル(%)");
    name(columns.right, "Ｒchレベル(%)");
    name(columns.mono, wave.Channels() == 1 ? "レベル(%)" : "ＬＲ合成波レベル");
    out += lineEnd;
  }
  return out;
}

// One frame's row; delimiter and line end are already in the file's encoding.
void AppendRow(std::string& out, const CWave& wave, uint32_t frame, const WaveColumns& columns,
               const std::string& delimiter, const char* lineEnd) {
  int left = 0, right = 0;
  const int mean = wave.GetLR(frame, left, right, false);
  bool first = true;
  auto cell = [&](double value) {
    if (!first) out += delimiter;
    AppendFixed6(out, value);
    first = false;
  };
  if (columns.time) cell(static_cast<double>(frame) / wave.Rate());
  if (columns.left) cell(left * kPercentPerSample);
  if (columns.right) cell(right * kPercentPerSample);
  if (columns.mono) cell(mean * kPercentPerSample);
  out += lineEnd;
}

}  // namespace

std::string FormatWaveText(const CWave& wave, const WaveTextChannels& channels,
                           const TextOutOptions& options, uint32_t maxRows) {
  const WaveColumns columns = ColumnsOf(wave, channels, options);
  std::string out = Head(wave, columns, options, "\n");
  const uint32_t rows = wave.FrameCount() < maxRows ? wave.FrameCount() : maxRows;
  for (uint32_t frame = 0; frame < rows; ++frame) {
    AppendRow(out, wave, frame, columns, options.delimiter, "\n");
  }
  return out;
}

namespace {

// Streams head and rows into a file that has been begun.
bool WriteRows(TextFileOut& file, const CWave& wave, const std::string& head, const WaveColumns& columns,
               const std::string& delimiter, const char* lineEnd) {
  WaitCursor busy;
  file.Buffer() = head;
  const uint32_t frames = wave.FrameCount();
  for (uint32_t frame = 0; frame < frames; ++frame) {
    AppendRow(file.Buffer(), wave, frame, columns, delimiter, lineEnd);
    if (!file.Flush()) return false;
  }
  return file.Commit();
}

bool WriteText(TextFileOut& file, const CWave& wave, const WaveTextChannels& channels,
               const TextOutOptions& options) {
  const WaveColumns columns = ColumnsOf(wave, channels, options);
  return WriteRows(file, wave, Utf8ToCp932(Head(wave, columns, options, "\r\n")), columns,
                   Utf8ToCp932(options.delimiter), "\r\n");
}

bool WriteCsv(TextFileOut& file, const CWave& wave, const WaveTextChannels& channels) {
  const WaveColumns columns{true, channels.left, channels.right, channels.mono};
  std::string head = "time_s";
  if (columns.left) head += ",L";
  if (columns.right) head += ",R";
  if (columns.mono) head += ",M";
  head += '\n';
  return WriteRows(file, wave, head, columns, ",", "\n");
}

}  // namespace

bool WriteWaveTextFile(const std::string& path, const CWave& wave,
                       const WaveTextChannels& channels, const TextOutOptions& options) {
  TextFileOut file;
  return file.Begin(path) && WriteText(file, wave, channels, options);
}

bool WriteWaveText(ByteStream& out, const CWave& wave, const WaveTextChannels& channels,
                   const TextOutOptions& options) {
  TextFileOut file;
  file.Begin(out);
  return WriteText(file, wave, channels, options);
}

bool WriteWaveCsvFile(const std::string& path, const CWave& wave,
                      const WaveTextChannels& channels) {
  TextFileOut file;
  return file.Begin(path) && WriteCsv(file, wave, channels);
}

bool WriteWaveCsv(ByteStream& out, const CWave& wave, const WaveTextChannels& channels) {
  TextFileOut file;
  file.Begin(out);
  return WriteCsv(file, wave, channels);
}
