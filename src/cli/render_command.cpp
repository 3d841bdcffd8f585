// sonvue-cli render IN.wav OUT.(png|pdf|svg): the page a newly opened document shows.
#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "core/doc/default_page.h"
#include "render/page_render.h"

namespace {

enum class Output { kPng, kPdf, kSvg, kUnknown };

Output OutputOf(const std::string& path) {
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return Output::kUnknown;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "png") return Output::kPng;
  if (ext == "pdf") return Output::kPdf;
  if (ext == "svg") return Output::kSvg;
  return Output::kUnknown;
}

QtMessageHandler previousHandler = nullptr;

// Qt's remark about a missing runtime directory is no concern of a command-line run.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QStringLiteral("XDG_RUNTIME_DIR"))) return;
  if (previousHandler) previousHandler(type, context, message);
}

// Text needs a GUI application; the offscreen platform needs no display.
void EnsureGuiApplication() {
  if (QGuiApplication::instance()) return;
  previousHandler = qInstallMessageHandler(QuietMessages);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "sonvue-cli";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int RunRender(CliArgs& args) {
  if (args.Positional().size() != 2)
    return UsageError(kRenderCommand, "needs IN.wav and OUT.png, OUT.pdf or OUT.svg");
  const std::string& in = args.Positional()[0];
  const std::string& out = args.Positional()[1];
  const Output kind = OutputOf(out);
  if (kind == Output::kUnknown)
    return UsageError(kRenderCommand, "OUT must end in .png, .pdf or .svg");

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

  const auto start = std::chrono::steady_clock::now();
  DefaultPage::NewDocumentDefaults defaults;
  defaults.layout.width = static_cast<int32_t>(widthMm * 10.0 + 0.5);
  DefaultPage page(defaults);
  if (!page.OpenWave(in)) {
    std::fprintf(stderr, "sonvue-cli render: %s cannot be read\n", in.c_str());
    return kExitRefused;
  }
  const double loadMs = MsSince(start);

  EnsureGuiApplication();
  const auto drawStart = std::chrono::steady_clock::now();
  const QString path = QString::fromStdString(out);
  QString error;
  switch (kind) {
    case Output::kPng:
      error = RenderPagePng(page, path, static_cast<int>(dpi));
      break;
    case Output::kPdf:
      error = RenderPagePdf(page, path, static_cast<int>(dpi));
      break;
    default:
      error = RenderPageSvg(page, path, static_cast<int>(dpi));
      break;
  }
  const double drawMs = MsSince(drawStart);
  if (!error.isEmpty()) {
    std::fprintf(stderr, "sonvue-cli render: %s\n", error.toUtf8().constData());
    return kExitRefused;
  }
  if (args.Has("--timing"))
    std::printf("load_ms: %.1f\nrender_ms: %.1f\n", loadMs, drawMs);
  return kExitOk;
}

}  // namespace

extern const CliCommand kRenderCommand = {
    "render",
    "draw the page a newly opened WAVE file shows, as PNG, PDF or SVG",
    "usage: sonvue-cli render IN.wav OUT.png|OUT.pdf|OUT.svg [--width-mm W] [--dpi D]\n"
    "                         [--timing]\n"
    "\n"
    "Opens IN as the program opens a WAVE file (the FFT range is the whole wave) and draws\n"
    "its default page: the information box, then the wave box of each channel (the mono box\n"
    "for a one-channel file), placed as a new document places them, in the default colours\n"
    "and font. The page is W millimetres wide (default 120) and as high as its boxes.\n"
    "PNG: an image at D pixels per inch (default 96). PDF: one page of the page's physical\n"
    "size, drawn for a printer of D dots per inch (default 600). SVG: a vector picture\n"
    "(default 254 dpi, one unit per 0.1 mm). --timing prints the milliseconds spent loading\n"
    "and drawing. A file the program refuses exits 1, with its messages on stderr.\n",
    {{"--width-mm", "--dpi"}, {"--timing"}},
    RunRender,
};
