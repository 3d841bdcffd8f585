#pragma once
// CWavDoc: one open measurement - the wave buffer, the page layout, the analysis settings
// record with its live references, the graph font, the label cell and up to thirteen graph
// boxes, one per box type (the slot of a box is its type). It opens and saves ".wav" files
// directly and keeps everything in ".wft" documents:
//
//   220, 777, 997 (version, 777, their sum) | page layout (24) | analysis record (256) |
//   font record (60) | text colour | wave record | for each box in slot order: type, box
//   record | 99
//
// all integers little-endian. Loading trusts nothing it reads: every count is checked
// against what remains before anything is allocated, and a refused file leaves an empty
// document. Saving writes a temporary file beside the target and renames it over the target
// only when it is complete.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/doc/box_layout.h"
#include "core/doc/document_base.h"
#include "core/graph/page_drawing.h"
#include "core/doc/page_layout.h"
#include "core/dsp/generator.h"
#include "core/graph/box.h"
#include "core/graph/fft3d_settings.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

class CArchive;
class WaveDevice;
struct ChannelPick;
struct AppSettings;

inline constexpr int32_t kWftVersion = 220;
inline constexpr int32_t kWftVersionMagic = 777;
inline constexpr int32_t kWftTerminator = 99;

class CWavDoc : public CDocumentBase, public BoxPage {
 public:
  // `app` holds the defaults for new documents (page, font, label cell, colour sets) and
  // receives new defaults from the font dialog and the label cell; null uses built-in
  // defaults. `device` is the process-wide sound device, or null.
  explicit CWavDoc(AppSettings* app = nullptr, WaveDevice* device = nullptr);
  ~CWavDoc() override;
  CWavDoc(const CWavDoc&) = delete;
  CWavDoc& operator=(const CWavDoc&) = delete;

  // Called when the document changed the application's defaults, so that they are saved.
  void SetDefaultsChangedHandler(std::function<void()> handler) { defaultsChanged_ = std::move(handler); }

  // --- framework operations ---
  bool OnNewDocument();
  // Opens a ".wav" file (extension "wav" after the last full stop of the file name,
  // without regard to case) as a wave with the default boxes, a ".wft" path or a file with a
  // document header as a document, and any other file as audio. False after the messages;
  // the document is then empty. Other audio files, and WAVE files in encodings other than
  // 8/16-bit PCM of one or two channels, are imported (the channels picked from a file of
  // more): the document then has no path, its title is the file's name, and ImportedFrom()
  // names the file.
  bool OnOpenDocument(const std::string& path);
  // shownName names the file in messages where path is not what the user gave (a copy of
  // standard input); empty: the path itself.
  bool OnOpenDocument(const std::string& path, const ChannelPick& pick, const std::string& shownName = "");
  // The file an imported document was made from; empty otherwise.
  const std::string& ImportedFrom() const { return importedFrom_; }
  // Saves as ".wav" (the whole wave) or ".wft"; false, with the old file untouched, when the
  // file cannot be written.
  bool OnSaveDocument(const std::string& path);
  void DeleteContents();
  // The ".wft" layout; false when a loaded file was refused (the document is then empty).
  bool Serialize(CArchive& ar);

  // --- boxes ---
  void InitNew();
  // The set-up of a wave just read into Wave(): run phase idle, the FFT range the whole
  // wave, the wave file name, the default boxes.
  void SetUpForWave(const std::string& fileName);
  void CreateDefaultBoxes();
  bool SetBox(int type);
  void RemoveBox(int type);
  // A new box of the type placed by the placement rule (or its remembered rectangle), bound
  // to the wave and the record, with its colour set; none for types 9 to 11. A plain box
  // has no label margins.
  std::unique_ptr<CBox> CreateBox(int type, bool plain);
  void RecalcExtent();
  void RecalcAllBoxes();
  void RemoveUnusableBoxes();
  void ResetWaveBoxes();
  void ClearWaveBoxFlags();
  // Puts new boxes of the types into their slots, in the order given, after removing every
  // box (the placement rule then starts from an empty page).
  void ReplaceBoxes(std::span<const int> types);
  // The application's waterfall geometry, and giving it to the 3D boxes.
  Fft3DSettings Waterfall3DSettings() const;
  void Apply3DSettings();
  // Places the boxes that the placement rule placed (not the user) again by the rule, in
  // creation order on an empty page (the information box first, then slot order), for the current label cell: after a new font the
  // information box takes the height its lines need and the boxes below it move down. The
  // boxes the user placed stay where they are.
  void ReplanRulePlacedBoxes();
  // New colour sets for the application (one per box kind): stored as the defaults, which
  // are then saved, and given to each box of this document.
  void ApplyColorSets(const std::array<ColorSet, kColorSetCount>& sets);
  // The thirteen slots' presence.
  std::array<bool, kSlotCount> BoxPresence() const;

  // --- waves ---
  // Reads a WAVE file into the document: the wave and the boxes are replaced only when the
  // file could be read; otherwise the messages are shown and the document stays as it was.
  bool LoadWaveIntoDocument(const std::string& path);
  // Saves the FFT range as a WAVE file.
  bool SaveWaveFromDocument(const std::string& path);
  // Moves the wave into a temporary file and leaves 4096 silent frames; the path, or empty
  // (the wave then keeps its samples).
  std::string StashWave();
  bool RestoreWave(const std::string& path);
  // The wave mixed to `channels` channels at its own rate and bits (CWave::ConvertFormat,
  // half difference with subtract); a wave that already has them is left alone. True when
  // the wave was converted.
  bool ToMono(uint16_t channels, bool subtract);
  // The wave generator's signal replaces the wave (generate_into_document.cpp). With white
  // noise among the components, filterNoise band-limits the new wave with the low-pass it
  // is handed (the desktop program runs it in its processing dialog; none: it runs here
  // without progress). Refused settings or refused memory leave the wave as it was.
  using NoiseFilterRunner = std::function<void(CWave& wave, const NoiseLowPass& filter)>;
  GenerateResult GenerateIntoDocument(const GeneratorSettings& settings, const NoiseFilterRunner& filterNoise = {});

  // Sets the modified flag and tells the views.
  void Changed();
  void UpdateTextMargins();
  // The font chosen in the font dialog: stored in the document and as the default for new
  // documents; the modified flag is set.
  void SetDocumentFont(const DocumentFont& font);

  // --- the analysis run (analysis_run.cpp) ---
  // Takes a record edited elsewhere, keeping the current position; boxes re-read their
  // source when the block size, averaging, flags or FFT range changed, and their level
  // axis when levelMode is set.
  void ApplySettings(const AnalysisSettings& record, int levelMode);
  // Starts stepping (real-time mode 0) or the device (recording or playback). False when
  // nothing could start; a real-time start that fails is reported to the user with its
  // cause and the real-time mode falls back to 0.
  bool StartRun();
  // One timer step; true when at least one block was analysed.
  bool StepRun();
  void StopRun();
  // How a start of the device ended; every failure leaves the wave and the FFT range as
  // they were.
  enum class DeviceStart { kStarted, kEmptyRecording, kNoBuffer, kRangeOutsideWave, kNothingToPlay, kDeviceRefused };
  // Makes the recording buffer when the recording needs a new one, then starts playback or
  // recording of the FFT range.
  DeviceStart PrepareDevice();
  // What the user is told about a failed start.
  std::string DeviceStartMessage(DeviceStart result) const;
  uint32_t DevicePosition();
  // Moves the current position to the next block that starts at a trigger crossing,
  // scanning up to limit; false when the trigger did not fire.
  bool TriggerSearch(uint32_t limitFrame);
  // Which block of a run the boxes take: the first restarts what they accumulate.
  enum class RunBlock { kFirst, kNext };
  // Lets every box take the block at the current position, then advances the position by
  // the step (and the trigger delay when the trigger is on).
  void AnalyseAndAdvance(RunBlock block);
  // The recorded frame count during a real-time recording.
  const std::string& StatusText() const { return statusText_; }
  bool NewBuffer() const { return newBuffer_; }

  // --- whole-range analysis (batch_run.cpp) ---
  // A block of a stepping run: where it starts, and the trigger crossing the wave boxes
  // follow.
  struct PlannedBlock {
    uint32_t startFrame = 0;
    int32_t triggerHitFrame = 0;
  };
  // The blocks a stepping run over the FFT range visits, in order, by the timer run's own
  // rules (trigger search, step advance, the last block ending at the range end). Changes
  // nothing.
  std::vector<PlannedBlock> PlanSteppingRun();
  struct BatchOptions {
    // Threads for the spectrum boxes: 0 one per box (the system shares the cores out),
    // 1 everything on the calling thread.
    unsigned threads = 0;
    // Called on the calling thread now and then with the blocks done over all spectrum
    // boxes and their total; false cancels.
    std::function<bool(uint64_t done, uint64_t total)> progress;
  };
  // The whole stepping run over the FFT range at once (real-time mode off), giving every box
  // exactly what the timer run gives it: the same blocks, in the same order for each box.
  // Each spectrum box takes its blocks on a thread of its own. Returns the blocks of the run;
  // nullopt when cancelled, with every box and the record as they were before.
  std::optional<uint32_t> RunBatchAnalysis(const BatchOptions& options);
  // RunBatchAnalysis without progress or cancel; the blocks of the run.
  uint32_t RunSteppingAnalysis();
  // While a whole-range analysis runs, boxes must not be drawn (threads are changing them).
  bool BatchRunning() const { return batchRunning_; }

  // --- BoxPage ---
  CBox* GetBox(int slot) const override;
  const DocumentFont& GetDocumentFont() const override { return font_; }
  // A new label cell: the text margins and every box's plot follow, and a cell that differs
  // from the default for new documents becomes the new default.
  void SetStringSize(int32_t width, int32_t height) override;
  Size GetDocSize() const override { return {page_.width, page_.height}; }

  // --- state ---
  CWave& Wave() { return wave_; }
  const CWave& Wave() const { return wave_; }
  AnalysisContext& Context() { return context_; }
  AnalysisSettings& Settings() { return context_.record; }
  const AnalysisSettings& Settings() const { return context_.record; }
  PageLayout& Page() { return page_; }
  const PageLayout& Page() const { return page_; }
  StringSize GetStringSize() const { return stringSize_; }
  const TextMargins& Margins() const { return margins_; }
  int32_t RunPhase() const { return runPhase_; }
  void SetRunPhase(int32_t phase) { runPhase_ = phase; }
  int32_t StepSize() const { return stepSize_; }
  void SetStepSize(int32_t frames) { stepSize_ = frames; }
  const Rect* SavedRect(int type) const;
  AppSettings& App() { return *app_; }

 private:
  std::vector<PlacedBox> PlacedBoxes() const;
  bool ReadDocument(CArchive& ar);
  void WriteDocument(CArchive& ar);
  void BroadcastRunStart();
  // The stepping run's first block at the current position (after a trigger search).
  bool StartStepping();
  int RunDirection() const;

  AppSettings* app_;
  std::unique_ptr<AppSettings> ownDefaults_;
  std::function<void()> defaultsChanged_;
  CWave wave_;
  PageLayout page_;
  std::array<std::unique_ptr<CBox>, kSlotCount> boxes_;
  std::array<std::unique_ptr<Rect>, kSlotCount> savedRects_;
  AnalysisContext context_;
  DocumentFont font_;
  TextMargins margins_;
  StringSize stringSize_;
  int32_t runPhase_ = kRunIdle;
  int32_t stepSize_ = 0;
  bool newBuffer_ = false;
  bool batchRunning_ = false;
  std::vector<PlannedBlock>* plan_ = nullptr;  // set while planning: blocks are noted, not analysed
  PlannedBlock planEnd_;                       // the position and trigger hit a planned run ends with
  std::string statusText_;
  std::string importedFrom_;
};

// The name "名前を付けて保存" offers for a document: its own path, NAME.wft beside the WAVE
// file NAME.wav it was opened from (saving there keeps the boxes; the WAVE file stays), or
// the title with ".wft" for a document never saved.
std::string SaveAsSuggestion(const std::string& pathName, const std::string& title);

// Whether a path names a WAVE file: the extension after the last full stop of its file name
// is "wav" without regard to case.
bool IsWavePath(const std::string& path);

// Whether a path opens as a ".wft" document: a "wft" extension, or a file whose first three
// words are a document header. Every other file opens as audio.
bool OpensAsDocument(const std::string& path);
