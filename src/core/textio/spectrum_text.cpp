#include "core/textio/spectrum_text.h"

#include "core/io/cp932.h"

namespace {

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
  std::string out = "ＦＦＴデータ";
  out += lineEnd;
  if (options.conditions && source.referenceCalculated && source.blockSize > 0) {
    const double resolution = static_cast<double>(source.rateHz) / source.blockSize;
    auto line = [&](const char* name) {
      out += name;
      out += options.delimiter;
    };
    line("周波数分解能(Hz)");
    AppendFixed6(out, resolution);
    out += lineEnd;
    line("周波数範囲(Hz)");
    AppendFixed6(out, 0.0);
    out += "～";
    AppendFixed6(out, resolution * (source.blockSize / 2 - 1));
    out += lineEnd;
    line("ブロックサイズ(samples)");
    AppendInteger(out, source.blockSize);
    out += lineEnd;
    line("平均回数");
    AppendInteger(out, source.averagingCount);
    out += lineEnd;
    line("窓関数");
    out += source.window ? "ハニング窓" : "オフ";
    out += lineEnd;
  }
  const Layout layout = TextLayout(source);
  if (options.columnNames) {
    bool first = true;
    auto name = [&](const std::string& text) {
      if (!first) out += options.delimiter;
      out += text;
      first = false;
    };
    if (options.stepColumn) name("周波数(Hz)");
    for (int c = 0; c < layout.count; ++c) {
      name(std::string(layout.names[c]) + (layout.columns[c]->levelInDb ? "(dB)" : "(%)"));
    }
    out += lineEnd;
  }
  const uint32_t rows = BinCount(source) < maxRows ? BinCount(source) : maxRows;
  for (uint32_t i = 0; i < rows; ++i) {
    bool first = true;
    if (options.stepColumn) {
      AppendFixed6(out, BinFrequency(source, i));
      first = false;
    }
    for (int c = 0; c < layout.count; ++c) {
      if (!first) out += options.delimiter;
      AppendFixed6(out, ColumnValue(*layout.columns[c], i));
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
  TextFileOut file;
  if (!file.Begin(path)) return false;
  file.Buffer() = SpectrumTextFileBytes(source, options);
  return file.Commit();
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
    AppendFixed6(out, BinFrequency(source, i));
    for (const SpectrumTextColumn* c : columns) {
      if (!c || !c->spectrum) continue;
      out += ',';
      AppendFixed6(out, ColumnValue(*c, i));
    }
    out += '\n';
  }
  return out;
}
