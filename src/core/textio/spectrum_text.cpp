#include "core/textio/spectrum_text.h"

#include <cstdarg>
#include <cstdio>

#include "core/io/safe_file.h"
#include "core/io/cp932.h"

namespace {

void AppendF(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendF(std::string& out, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof buffer) {
    out.append(buffer, static_cast<size_t>(n));
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(big.data(), big.size(), format, args);
  va_end(args);
  big.resize(static_cast<size_t>(n));
  out += big;
}

// The level of one bin as the box shows it: dB, or per cent of full scale.
double ColumnValue(const SpectrumTextColumn& column, uint32_t bin) {
  const double level = column.spectrum[bin];
  if (column.levelInDb) {
    return LevelToDb(level, column.dbReference, column.dbOffset, kSpectrumLevelFloor);
  }
  return level * 0.01;
}

uint32_t BinCount(const SpectrumTextSource& source) {
  return source.blockSize >= 2 ? static_cast<uint32_t>(source.blockSize / 2) : 0;
}

double BinFrequency(const SpectrumTextSource& source, uint32_t bin) {
  return static_cast<double>(bin) * source.rateHz / source.blockSize;
}

// The columns that rows and names hold, in file order.
struct Layout {
  const SpectrumTextColumn* columns[3] = {};
  const char* names[3] = {};
  int count = 0;
};

Layout TextLayout(const SpectrumTextSource& source) {
  Layout layout;
  auto add = [&](const SpectrumTextColumn* c, const char* name) {
    if (!c || !c->spectrum) return;
    layout.columns[layout.count] = c;
    layout.names[layout.count] = name;
    ++layout.count;
  };
  if (source.waveChannels >= 2) {
    add(source.left, "Ｌchレベル");
    add(source.right, "Ｒchレベル");
  }
  add(source.mono, source.waveChannels == 1 ? "レベル" : "合成波レベル");
  return layout;
}

std::string BuildText(const SpectrumTextSource& source, const SpectrumTextOptions& options,
                      uint32_t maxRows, const char* lineEnd) {
  const char* d = options.delimiter.c_str();
  std::string out = "ＦＦＴデータ";
  out += lineEnd;
  if (options.conditions && source.referenceCalculated && source.blockSize > 0) {
    const double resolution = static_cast<double>(source.rateHz) / source.blockSize;
    AppendF(out, "周波数分解能(Hz)%s%f%s", d, resolution, lineEnd);
    AppendF(out, "周波数範囲(Hz)%s%f～%f%s", d, 0.0, resolution * (source.blockSize / 2 - 1),
            lineEnd);
    AppendF(out, "ブロックサイズ(samples)%s%d%s", d, source.blockSize, lineEnd);
    AppendF(out, "平均回数%s%d%s", d, source.averagingCount, lineEnd);
    AppendF(out, "窓関数%s%s%s", d, source.window ? "ハニング窓" : "オフ", lineEnd);
  }
  const Layout layout = TextLayout(source);
  if (options.columnNames) {
    bool first = true;
    auto name = [&](const std::string& text) {
      if (!first) out += options.delimiter;
      out += text;
      first = false;
    };
    if (options.frequencyColumn) name("周波数(Hz)");
    for (int c = 0; c < layout.count; ++c) {
      name(std::string(layout.names[c]) + (layout.columns[c]->levelInDb ? "(dB)" : "(%)"));
    }
    out += lineEnd;
  }
  const uint32_t rows = BinCount(source) < maxRows ? BinCount(source) : maxRows;
  for (uint32_t i = 0; i < rows; ++i) {
    bool first = true;
    if (options.frequencyColumn) {
      AppendF(out, "%f", BinFrequency(source, i));
      first = false;
    }
    for (int c = 0; c < layout.count; ++c) {
      const double v = ColumnValue(*layout.columns[c], i);
      if (first) AppendF(out, "%f", v);
      else AppendF(out, "%s%f", d, v);
      first = false;
    }
    out += lineEnd;
  }
  return out;
}

}  // namespace

std::string FormatSpectrumText(const SpectrumTextSource& source, const SpectrumTextOptions& options,
                               uint32_t maxRows) {
  return BuildText(source, options, maxRows, "\n");
}

std::string SpectrumTextFileBytes(const SpectrumTextSource& source,
                                  const SpectrumTextOptions& options) {
  return Utf8ToCp932(BuildText(source, options, UINT32_MAX, "\r\n"));
}

bool WriteSpectrumTextFile(const std::string& path, const SpectrumTextSource& source,
                           const SpectrumTextOptions& options) {
  const std::string bytes = SpectrumTextFileBytes(source, options);
  SafeFileWriter writer;
  if (!writer.Begin(path)) return false;
  if (!writer.Stream().Write(bytes.data(), bytes.size())) {
    writer.Abort();
    return false;
  }
  return writer.Commit();
}

std::string FormatSpectrumCsv(const SpectrumTextSource& source) {
  const SpectrumTextColumn* columns[3] = {source.left, source.right, source.mono};
  const char* names[3] = {"L", "R", "M"};
  std::string out = "frequency_hz";
  for (int c = 0; c < 3; ++c) {
    if (columns[c] && columns[c]->spectrum) out.append(",").append(names[c]);
  }
  out += '\n';
  const uint32_t rows = BinCount(source);
  for (uint32_t i = 0; i < rows; ++i) {
    AppendF(out, "%f", BinFrequency(source, i));
    for (const SpectrumTextColumn* c : columns) {
      if (c && c->spectrum) AppendF(out, ",%f", ColumnValue(*c, i));
    }
    out += '\n';
  }
  return out;
}
