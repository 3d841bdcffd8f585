// sonvue-cli render IN OUT.(png|pdf|svg): the page a newly opened document shows, or the
// boxes asked for, with the spectrum boxes showing a stepping analysis of the wave.
#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/analysis_options.h"
#include "cli/audio_input.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "core/doc/app_settings.h"
#include "core/doc/box_layout.h"
#include "core/doc/wav_doc.h"
#include "core/doc/document_base.h"
#include "core/doc/settings_file.h"
#include "core/graph/fft3d_box.h"
#include "render/page_render.h"

namespace {

enum class Output { kPng, kPdf, kSvg, kUnknown };

Output OutputNamed(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name == "png") return Output::kPng;
  if (name == "pdf") return Output::kPdf;
  if (name == "svg") return Output::kSvg;
  return Output::kUnknown;
}

Output OutputOf(const std::string& path) {
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return Output::kUnknown;
  return OutputNamed(path.substr(dot + 1));
}

PageFormat FormatOf(Output kind) {
  return kind == Output::kPdf ? PageFormat::kPdf : kind == Output::kSvg ? PageFormat::kSvg : PageFormat::kPng;
}

// Says on stderr when the page is drawn smaller than asked (a page larger than an A0 sheet,
// an image beyond the pixel limit).
void NoteScale(const CWavDoc& page, int dpi, PageFormat format) {
  const Size size = page.GetDocSize();
  const double scale = PageDrawScale(size, dpi, format);
  if (scale >= 1.0) return;
  // The sheet's scale is the same for every format; the rest is the image's pixel limit.
  const bool sheet = PageDrawScale(size, dpi, PageFormat::kPdf) < 1.0;
  std::fprintf(stderr, "sonvue-cli render: the page (%.0f x %.0f mm) %s; drawn at %.4g %% of its size\n",
               size.cx / 10.0, size.cy / 10.0,
               sheet ? "is larger than an A0 sheet (841 x 1189 mm)"
                     : "would make an image of more than 200 million pixels",
               scale * 100.0);
}

QtMessageHandler previousHandler = nullptr;

// Qt's remark about a missing runtime directory is no concern of a command-line run.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QStringLiteral("XDG_RUNTIME_DIR"))) return;
  if (previousHandler) previousHandler(type, context, message);
}

// Text needs a GUI application; the offscreen platform needs no display. The caller owns it
// for the length of the command, so that it goes before the process's own exit handlers
// (Qt warns about its thread storage otherwise).
std::unique_ptr<QGuiApplication> EnsureGuiApplication() {
  if (QGuiApplication::instance()) return nullptr;
  previousHandler = qInstallMessageHandler(QuietMessages);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "sonvue-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

// The thirteen colour sets from a settings file, starting from the application's defaults.
// A file that holds no colour value, or a colour value the program would not take, is
// refused so that a mistyped scheme is not drawn in the default colours unnoticed.
bool ReadColorSets(const std::string& path, std::array<ColorSet, kColorSetCount>& sets, std::string& error) {
  MemorySettingsStore store;
  if (!ReadSettingsFile(path, store, error)) {
    error = path + " " + error;
    return false;
  }
  std::vector<std::string> malformed;
  sets = ApplicationDefaultColorSets();
  const int taken = LoadColorSets(store, sets, &malformed);
  if (!malformed.empty()) {
    error = path + ": " + malformed.front() + " is not a colour value (a decimal number such as 16777215)";
    return false;
  }
  if (taken == 0) {
    error = path + " holds no colour value (grColor_fBack00 to grColor_area12)";
    return false;
  }
  return true;
}

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int RunRender(CliArgs& args) {
  if (args.Positional().size() != 2)
    return UsageError(kRenderCommand, "needs IN and OUT.png, OUT.pdf or OUT.svg");
  const std::string& in = args.Positional()[0];
  const std::string& out = args.Positional()[1];
  Output kind = IsStdStream(out) ? Output::kPng : OutputOf(out);
  if (auto format = args.Value("--format")) {
    const Output named = OutputNamed(*format);
    if (named == Output::kUnknown) return UsageError(kRenderCommand, "--format takes png, pdf or svg, not \"" + *format + "\"");
    if (!IsStdStream(out) && named != kind)
      return UsageError(kRenderCommand, "--format " + *format + " does not match the name of " + out);
    kind = named;
  }
  if (kind == Output::kUnknown)
    return UsageError(kRenderCommand, "OUT must end in .png, .pdf or .svg (or be - with --format)");

  double widthMm = 0;
  if (!args.Double("--width-mm", widthMm, 120.0)) return UsageError(kRenderCommand, args.error());
  if (!(widthMm >= 10.0 && widthMm <= 5000.0))
    return UsageError(kRenderCommand, "--width-mm must lie between 10 and 5000");
  const int defaultDpi = kind == Output::kPng   ? kDefaultImageDpi
                         : kind == Output::kPdf ? kDefaultPdfDpi
                                                : kDefaultSvgDpi;
  unsigned long dpi = 0;
  if (!args.UInt("--dpi", dpi, static_cast<unsigned long>(defaultDpi)))
    return UsageError(kRenderCommand, args.error());
  if (dpi < 10 || dpi > 2400) return UsageError(kRenderCommand, "--dpi must lie between 10 and 2400");

  AnalysisOptions options;
  if (int status = ParseAnalysisOptions(args, kRenderCommand, options); status != kExitOk) return status;
  std::vector<int> types;
  const bool boxesGiven = args.Has("--boxes");
  if (boxesGiven && !ParseBoxList(*args.Value("--boxes"), types)) {
    return UsageError(kRenderCommand, "--boxes takes info, wave:C, fft:C and fft3d:C (C one of L, "
                                      "R, M) separated by commas, not \"" + *args.Value("--boxes") + "\"");
  }
  bool logFrequency = true;
  if (auto text = args.Value("--log-frequency"); text && !ParseOnOff(*text, logFrequency))
    return UsageError(kRenderCommand, "--log-frequency takes on or off, not \"" + *text + "\"");
  Fft3DSettings fft3dSettings;
  unsigned long slantX = 0, slantY = 0, pitch = 0;
  if (!args.UInt("--slant-x", slantX, static_cast<unsigned long>(fft3dSettings.slantXPercent)) ||
      !args.UInt("--slant-y", slantY, static_cast<unsigned long>(fft3dSettings.slantYPercent)) ||
      !args.UInt("--depth-pitch", pitch, static_cast<unsigned long>(fft3dSettings.depthPitch)))
    return UsageError(kRenderCommand, args.error());
  if (slantX > 100 || slantY > 100 || pitch < 1 || pitch > 1000)
    return UsageError(kRenderCommand, "--slant-x and --slant-y take 0 to 100 (per cent), --depth-pitch 1 to 1000");
  fft3dSettings.slantXPercent = static_cast<int32_t>(slantX);
  fft3dSettings.slantYPercent = static_cast<int32_t>(slantY);
  fft3dSettings.depthPitch = static_cast<int32_t>(pitch);
  double markHz = -1.0;
  if (!args.Double("--mark", markHz, -1.0)) return UsageError(kRenderCommand, args.error());
  if (args.Has("--mark") && !(markHz >= 0.0)) return UsageError(kRenderCommand, "--mark takes a frequency of 0 Hz or more");
  unsigned long focus = 0;
  if (!args.UInt("--focus", focus, 0)) return UsageError(kRenderCommand, args.error());
  std::array<ColorSet, kColorSetCount> colorSets{};
  if (auto colors = args.Value("--colors")) {
    std::string error;
    if (!ReadColorSets(*colors, colorSets, error)) {
      std::fprintf(stderr, "sonvue-cli render: %s\n", error.c_str());
      return kExitRefused;
    }
  }
  ChannelPick pick;
  if (int status = ParsePickOption(args, kRenderCommand, pick); status != kExitOk) return status;

  const auto start = std::chrono::steady_clock::now();
  AppSettings app;
  app.pageWidth = static_cast<int32_t>(widthMm * 10.0 + 0.5);
  app.slantXPercent = fft3dSettings.slantXPercent;
  app.slantYPercent = fft3dSettings.slantYPercent;
  app.depthPitch = fft3dSettings.depthPitch;
  CWavDoc page(&app);
  if (int status = RefuseOutputOverInput(kRenderCommand, in, out); status != kExitOk) return status;
  CliInput input;
  if (int status = input.Open(kRenderCommand, in); status != kExitOk) return status;
  const bool document = OpensAsDocument(input.Path());
  if (document) {
    // A document is drawn as it was saved: the options that shape a new page do not apply.
    for (const char* option : {"--width-mm", "--boxes", "--log-frequency", "--db", "--block", "--average",
                               "--overlap", "--window", "--mean-removal", "--from", "--to", "--slant-x",
                               "--slant-y", "--depth-pitch", "--pick"}) {
      if (args.Has(option)) {
        return UsageError(kRenderCommand, std::string(option) + " applies to audio files; a .wft document is drawn as it was saved");
      }
    }
  }
  if (int status = OpenInputDocument(kRenderCommand, input, page, pick); status != kExitOk) return status;
  const double loadMs = MsSince(start);
  const auto analysisStart = std::chrono::steady_clock::now();
  if (!document) {
    if (!boxesGiven) types = DefaultBoxTypes(page.Wave().Channels());
    if (int status = AnalyseDocument(page, options, types, false, logFrequency, args.Has("--db"), kRenderCommand,
                                     input.Name());
        status != kExitOk) {
      return status;
    }
  }
  for (int slot = kBoxFftLeft; slot <= kBoxFft3dMono; ++slot) {
    auto* box = dynamic_cast<CFFTBox*>(page.GetBox(slot));
    if (!box) continue;
    if (auto* waterfall = dynamic_cast<CFFT3DBox*>(box); waterfall && args.Has("--focus"))
      waterfall->SetDataFocus(std::min<int32_t>(static_cast<int32_t>(std::min(focus, 1ul << 30)),
                                                waterfall->SlicesStored() - 1));
    if (markHz >= 0) box->PlaceMark(markHz);
  }
  // As the colour dialog's OK does: every box takes the set of its kind.
  if (args.Has("--colors")) page.ApplyColorSets(colorSets);
  const double analysisMs = MsSince(analysisStart);

  const std::unique_ptr<QGuiApplication> qtApp = EnsureGuiApplication();
  const auto drawStart = std::chrono::steady_clock::now();
  const PageFormat format = FormatOf(kind);
  NoteScale(page, static_cast<int>(dpi), format);
  QByteArray bytes;
  const QString error = RenderPageBytes(page, format, static_cast<int>(dpi), bytes);
  const double drawMs = MsSince(drawStart);
  if (!error.isEmpty()) return RefuseFile(kRenderCommand, input.Name(), error.toStdString());
  if (int status = WriteBytesOutput(kRenderCommand, bytes.constData(), static_cast<size_t>(bytes.size()), out,
                                    format != PageFormat::kSvg);
      status != kExitOk) {
    return status;
  }
  if (args.Has("--timing"))
    std::fprintf(IsStdStream(out) ? stderr : stdout, "load_ms: %.1f\nanalysis_ms: %.1f\nrender_ms: %.1f\n", loadMs, analysisMs, drawMs);
  return kExitOk;
}

}  // namespace

extern const CliCommand kRenderCommand = {
    "render",
    "draw the page a newly opened audio file shows, or any boxes, as PNG, PDF or SVG",
    "usage: sonvue-cli render IN|IN.wft OUT.png|OUT.pdf|OUT.svg [--width-mm W] [--dpi D]\n"
    "         [--boxes LIST] [--log-frequency on|off] [--db] [--block N] [--average A]\n"
    "         [--overlap K] [--window] [--mean-removal] [--from F] [--to T]\n"
    "         [--slant-x P] [--slant-y P] [--depth-pitch U] [--mark HZ] [--focus K]\n"
    "         [--colors FILE] [--timing] [--pick A,B] [--format png|pdf|svg]\n"
    "example: sox in.flac -t wav - | sonvue-cli render - page.png --boxes info,fft:M --db\n"
    "\n"
    "Opens IN as the program opens an audio file (the FFT range is the whole wave) and draws\n"
    "its default page: the information box, then the wave box of each channel (the mono box\n"
    "for a one-channel file), placed as a new document places them, in the default colours\n"
    "(or those of --colors) and font. The page is W millimetres wide (default 120) and 180 mm high, or higher when\n"
    "its boxes need it. A .wft document is drawn as it was saved.\n"
    "PNG: an image at D pixels per inch (default 96). PDF: one page of the page's physical\n"
    "size, drawn for a printer of D dots per inch (default 600). SVG: a vector picture\n"
    "(default 254 dpi, one unit per 0.1 mm). A page larger than an A0 sheet (841 x 1189 mm,\n"
    "either way round) is drawn scaled down to fit one, and a PNG image never holds more\n"
    "than 200 million pixels (it is drawn at a lower resolution instead); the scale used\n"
    "is said on stderr.\n"
    "\n"
    "  --boxes LIST     the boxes instead, created in the order given and separated by commas:\n"
    "                   info, wave:C, fft:C (spectrum), fft3d:C (3D waterfall), C one of L, R, M\n"
    "  --log-frequency on|off  logarithmic (default) or linear frequency axes\n"
    "  --db             level axes in dB (full scale 0 dB) instead of per cent\n"
    "  --block, --average, --overlap, --window, --mean-removal, --from, --to\n"
    "                   the analysis, as for sonvue-cli spectrum: the spectrum boxes show the\n"
    "                   result of a stepping run over the range; a 3D box takes one slice per\n"
    "                   block until it is full\n"
    "  --slant-x P --slant-y P --depth-pitch U\n"
    "                   the 3D waterfall: per cent of the plot width and height used for depth\n"
    "                   (defaults 30 and 70), 0.1 mm between slices (default 10)\n"
    "  --mark HZ        puts the mark of every spectrum box at HZ (with its read-out)\n"
    "  --focus K        makes slice K (0 the front; at most the last) the 3D boxes' focus\n"
    "  --colors FILE    draws every box in the colour set of its kind from FILE, a settings\n"
    "                   file of the desktop program (~/.config/tamarisk/Sonvue.conf) or any\n"
    "                   file of its lines grColor_gBack00=12632256 ... grColor_area12=...\n"
    "                   (0x00BBGGRR in decimal); values it does not hold stay as by default;\n"
    "                   also for a .wft document\n"
    "  --timing         prints the milliseconds spent loading, analysing and drawing\n"
    "  --format F       png, pdf or svg: the picture written to standard output (OUT -;\n"
    "                   default png); for a file it must match OUT's extension\n"
    SONVUE_PICK_HELP
    "\n"
    SONVUE_AUDIO_INPUT_HELP
    "\n"
    "IN - reads standard input, OUT - writes standard output.\n"
    "OUT is replaced only by the complete picture and may not be IN itself. A file the\n"
    "program refuses, or an OUT that cannot be written, exits 1 with the reason on stderr.\n",
    {{"--width-mm", "--dpi", "--boxes", "--log-frequency", "--block", "--average", "--overlap",
      "--from", "--to", "--slant-x", "--slant-y", "--depth-pitch", "--mark", "--focus", "--colors",
      "--pick", "--format"},
     {"--timing", "--db", "--window", "--mean-removal"}},
    RunRender,
};
