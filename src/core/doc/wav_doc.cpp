#include "core/doc/wav_doc.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "core/doc/app_settings.h"
#include "core/io/archive.h"
#include "core/io/byte_stream.h"
#include "core/io/safe_file.h"
#include "core/graph/box_factory.h"
#include "core/graph/fft3d_box.h"
#include "core/graph/wave_box.h"
#include "core/platform/hooks.h"
#include "core/platform/prompt.h"
#include "core/wave/audio_file.h"

namespace {

constexpr const char* kInvalidDataFile = "データファイルが不正です";
constexpr int32_t kOldestFullRecordVersion = 219;  // files up to this one lack the overlap word
constexpr uint32_t kStashFrames = 4096;
constexpr size_t kWaveFileNameFromTitle = 100;

// Sizes a stored record may describe; anything else is refused as corrupt. Margins may be
// as large as a box may lie from the origin, and a page as large as such a box and its
// margin make it (the page is worked out from the boxes again on loading).
constexpr int32_t kMaxMargin = CBox::kMaxStoredCoordinate;
constexpr int32_t kMaxPageExtent = 2 * CBox::kMaxStoredCoordinate;
constexpr int32_t kMaxFontHeight = 10000;    // 1 m

bool IsWaveBoxType(int type) { return type >= kBoxWaveLeft && type <= kBoxWaveMono; }

bool IsPowerOfTwo(uint32_t n) { return n != 0 && (n & (n - 1)) == 0; }

bool SanePage(const PageLayout& p) {
  auto extent = [](int32_t v) { return v > 0 && v <= kMaxPageExtent; };
  auto margin = [](int32_t v) { return v >= 0 && v <= kMaxMargin; };
  return extent(p.width) && extent(p.height) && margin(p.leftMargin) && margin(p.rightMargin) &&
         margin(p.topMargin) && margin(p.bottomMargin);
}

// The parts of a stored analysis record that the program cannot work with: block sizes
// that are no power of two, averaging counts the engines refuse.
bool SaneRecord(const AnalysisSettings& s) {
  return IsPowerOfTwo(s.blockSize) && s.blockSize >= 4 && s.blockSize <= (1u << 20) &&
         s.averagingCount >= 1 && s.averagingCount <= 1024;
}

PageLayout PageFrom(const AppSettings& app) {
  PageLayout p;
  p.width = app.pageWidth;
  p.height = app.pageHeight;
  p.leftMargin = app.leftMargin;
  p.rightMargin = app.rightMargin;
  p.topMargin = app.topMargin;
  p.bottomMargin = app.bottomMargin;
  return p;
}

// A path ending in ".wft" (in any case), or a file whose first three words are a document
// header (version, 777, their sum), opens as a document; anything else as audio.
bool IsDocumentFile(const std::string& path, ByteStream& file) {
  std::string name = FileNamePart(path);
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".wft") == 0) return true;
  int32_t words[3] = {};
  const bool header = file.Read(words, sizeof words) == sizeof words && words[1] == kWftVersionMagic &&
                      int64_t{words[0]} + kWftVersionMagic == words[2];
  file.Seek(0);
  return header;
}

}  // namespace

bool OpensAsDocument(const std::string& path) {
  if (IsWavePath(path)) return false;
  FileStream file;
  if (!file.Open(path, FileStream::Mode::Read)) return false;
  return IsDocumentFile(path, file);
}

bool IsWavePath(const std::string& path) {
  // The extension starts after the last full stop of the file name ("take.1.wav" is a
  // WAVE file; a full stop in a folder name does not count).
  std::string name = FileNamePart(path);
  auto dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  if (ext.size() != 3) return false;
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == "wav";
}

std::string SaveAsSuggestion(const std::string& pathName, const std::string& title) {
  if (pathName.empty()) return title + ".wft";
  if (!IsWavePath(pathName)) return pathName;
  return pathName.substr(0, pathName.size() - 3) + "wft";
}

CWavDoc::CWavDoc(AppSettings* app, WaveDevice* device) : app_(app) {
  if (!app_) {
    ownDefaults_ = std::make_unique<AppSettings>();
    app_ = ownDefaults_.get();
  }
  wave_.SetDevice(device);
  page_ = PageFrom(*app_);
  font_ = app_->font;
  stringSize_ = {app_->stringWidth, app_->stringHeight};
  context_.record = DefaultAnalysisSettings();
  context_.stringSize = &stringSize_;
  context_.font = &font_;
  context_.runPhase = &runPhase_;
  UpdateTextMargins();
}

CWavDoc::~CWavDoc() {
  for (auto& box : boxes_) box.reset();
  wave_.Free();
}

// --- framework operations -------------------------------------------------------------

bool CWavDoc::OnNewDocument() {
  DeleteContents();
  InitNew();
  SetModifiedFlag(false);
  return true;
}

void CWavDoc::InitNew() {
  for (auto& box : boxes_) box.reset();
  page_ = PageFrom(*app_);
  context_.record.blockSize = 1024;
  context_.record.averagingCount = 4;
  UpdateTextMargins();
  std::string title = Title();
  if (title.size() > kWaveFileNameFromTitle) title.resize(kWaveFileNameFromTitle);
  SetWaveFileName(context_.record, title);
  CreateDefaultBoxes();
  runPhase_ = kRunIdle;
  context_.record.fftRangeStart = 0;
  context_.record.fftRangeEnd = 0;
  context_.record.currentPosition = 0;
  context_.record.fftFlags = 0;
}

void CWavDoc::DeleteContents() {
  for (auto& box : boxes_) box.reset();
  for (auto& rect : savedRects_) rect.reset();
  wave_.Free();
}

void CWavDoc::SetUpForWave(const std::string& fileName) {
  runPhase_ = kRunIdle;
  context_.record.fftRangeStart = 0;
  context_.record.fftRangeEnd = wave_.FrameCount();
  SetWaveFileName(context_.record, fileName);
  CreateDefaultBoxes();
}

bool CWavDoc::OnOpenDocument(const std::string& path) { return OnOpenDocument(path, ChannelPick{}); }

bool CWavDoc::OnOpenDocument(const std::string& path, const ChannelPick& pick, const std::string& shownName) {
  DeleteContents();
  FileStream file;
  if (!file.Open(path, FileStream::Mode::Read)) {
    AppMessage("ファイルを開けません。\n" + path);
    return false;
  }
  SetPathName(path);
  importedFrom_.clear();
  bool ok;
  if (IsWavePath(path) || !IsDocumentFile(path, file)) {
    const AudioReadResult read = ReadAudio(file, wave_, pick);
    ok = read.outcome != AudioReadOutcome::kFailed;
    if (!ok) AppMessage(CannotOpenMessage(shownName.empty() ? path : shownName, read.unreadableNote));
    if (read.outcome == AudioReadOutcome::kImported) {
      // The wave is not the file on disk: saving must ask for a name, never write over
      // the original.
      SetPathName("");
      SetTitle(FileNamePart(path));
      importedFrom_ = path;
    }
    if (ok) SetUpForWave(FileNamePart(path));
  } else {
    CArchive ar(file, CArchive::Mode::Load, CArchive::kDefaultBufferBytes);
    ok = Serialize(ar);
  }
  if (!ok) DeleteContents();
  SetModifiedFlag(false);
  return ok;
}

bool CWavDoc::OnSaveDocument(const std::string& path) {
  WaitCursor wait;
  SafeFileWriter writer;
  if (!writer.Begin(path)) {
    AppMessage("ファイルを保存できません。\n" + path);
    return false;
  }
  bool ok;
  const bool wav = IsWavePath(path);
  if (wav) {
    ok = wave_.WriteWave(writer.Stream(), 0, 0) == 0;
  } else {
    CArchive ar(writer.Stream(), CArchive::Mode::Store, CArchive::kDefaultBufferBytes);
    ok = Serialize(ar) && ar.Flush();
  }
  if (!ok || !writer.Commit()) {
    writer.Abort();
    AppMessage("ファイルを保存できませんでした。以前のファイルはそのまま残っています。\n" + path);
    return false;
  }
  if (!wav) {
    SetPathName(path);
    SetModifiedFlag(false);
  }
  return true;
}

bool CWavDoc::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    WriteDocument(ar);
    return !ar.Failed();
  }
  if (!ReadDocument(ar)) {
    DeleteContents();
    return false;
  }
  return true;
}

void CWavDoc::WriteDocument(CArchive& ar) {
  ar.WriteI32(kWftVersion);
  ar.WriteI32(kWftVersionMagic);
  ar.WriteI32(kWftVersion + kWftVersionMagic);
  ar.Write(&page_, sizeof page_);
  ar.Write(&context_.record, sizeof context_.record);
  ar.Write(&font_.logFont, sizeof font_.logFont);
  ar.WriteU32(font_.textColor);
  wave_.Serialize(ar);
  for (int type = 0; type < kSlotCount; ++type) {
    if (!boxes_[type]) continue;
    ar.WriteI32(type);
    boxes_[type]->Serialize(ar);
  }
  ar.WriteI32(kWftTerminator);
}

bool CWavDoc::ReadDocument(CArchive& ar) {
  const int32_t version = ar.ReadI32();
  const int32_t magic = ar.ReadI32();
  const int32_t sum = ar.ReadI32();
  if (ar.Failed() || static_cast<int64_t>(version) + magic != sum) {
    ShowMessage("error", kInvalidDataFile, PromptButtons::Ok, PromptIcon::Error);
    return false;
  }
  auto refuse = [] {
    ShowMessage("error", kInvalidDataFile, PromptButtons::Ok, PromptIcon::Error);
    return false;
  };

  PageLayout page;
  ar.Read(&page, sizeof page);
  AnalysisSettings record;
  ar.Read(&record, sizeof record);
  if (ar.Failed()) return refuse();
  if (version <= kOldestFullRecordVersion) {
    // Older records end before the overlap word, and their two bytes after the flags
    // carried something else: keep ours there.
    record.overlapIndex = 0;
    std::memcpy(record.reserved22, context_.record.reserved22, sizeof record.reserved22);
  }
  if (!SanePage(page) || !SaneRecord(record)) return refuse();
  record.waveFileName[sizeof record.waveFileName - 1] = '\0';
  if (record.triggerChannel < 0 || record.triggerChannel > 3) record.triggerChannel = 3;

  DocumentFont font;
  ar.Read(&font.logFont, sizeof font.logFont);
  font.textColor = ar.ReadU32();
  if (ar.Failed() || font.logFont.height < -kMaxFontHeight || font.logFont.height > kMaxFontHeight) {
    return refuse();
  }
  font.logFont.faceName[sizeof font.logFont.faceName - 1] = '\0';

  // The references of the record are ours, never the file's words' meaning.
  page_ = page;
  context_.record = record;
  font_ = font;
  UpdateTextMargins();
  if (!wave_.Serialize(ar)) return refuse();
  // The run state of the file must fit the wave that came with it.
  AnalysisSettings& s = context_.record;
  s.fftRangeEnd = std::min(s.fftRangeEnd, wave_.FrameCount());
  s.fftRangeStart = std::min(s.fftRangeStart, s.fftRangeEnd);
  s.currentPosition = std::min(s.currentPosition, wave_.FrameCount());
  runPhase_ = kRunIdle;

  while (true) {
    const int32_t type = ar.ReadI32();
    if (ar.Failed()) return refuse();  // no terminator: the file was cut
    if (type < 0 || type >= kSlotCount) break;
    boxes_[type].reset();
    SetBox(type);
    CBox* box = boxes_[type].get();
    if (!box) return refuse();
    box->Recalc(runPhase_, 1);
    box->Serialize(ar);
    if (ar.Failed()) return refuse();
  }
  // Each box was first placed by the rule before its stored rectangle arrived; the page must
  // not keep the growth of those passing places.
  page_ = page;
  RecalcExtent();
  return true;
}

// --- boxes ----------------------------------------------------------------------------

std::vector<PlacedBox> CWavDoc::PlacedBoxes() const {
  std::vector<PlacedBox> placed;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (boxes_[slot]) placed.push_back({slot, boxes_[slot]->GetRect()});
  }
  return placed;
}

std::unique_ptr<CBox> CWavDoc::CreateBox(int type, bool plain) {
  if (type < 0 || type >= kSlotCount) return nullptr;
  std::unique_ptr<CBox> box = NewBoxOfType(type);
  if (!box) return nullptr;
  const std::vector<PlacedBox> placed = PlacedBoxes();
  const PlannedBox plan = PlanBoxRects(type, plain, placed, savedRects_[type].get(), page_, stringSize_);
  box->SetSource(&wave_, &context_, ChannelOfBoxType(type));
  box->SetRect(plan.box, &plan.plot);
  box->Recalc(runPhase_, 1);
  box->SetDefaultRanges();
  box->SetColors(app_->colorSets[type]);
  box->SetPlacedByUser(plan.placedByUser ? 1 : 0);
  if (auto* waterfall = dynamic_cast<CFFT3DBox*>(box.get())) waterfall->ApplySettings3D(Waterfall3DSettings());
  return box;
}

void CWavDoc::ReplaceBoxes(std::span<const int> types) {
  for (auto& box : boxes_) box.reset();
  for (int type : types) SetBox(type);
}

Fft3DSettings CWavDoc::Waterfall3DSettings() const {
  Fft3DSettings s;
  s.slantXPercent = app_->slantXPercent;
  s.slantYPercent = app_->slantYPercent;
  s.depthPitch = app_->depthPitch;
  s.fillColor = app_->fill3dColor;
  return s;
}

void CWavDoc::Apply3DSettings() {
  for (int slot = kBoxFft3dLeft; slot <= kBoxFft3dMono; ++slot) {
    if (auto* waterfall = dynamic_cast<CFFT3DBox*>(boxes_[slot].get())) waterfall->ApplySettings3D(Waterfall3DSettings());
  }
}

void CWavDoc::ApplyColorSets(const std::array<ColorSet, kColorSetCount>& sets) {
  app_->colorSets = sets;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!boxes_[slot]) continue;
    boxes_[slot]->SetColors(sets[slot]);
    boxes_[slot]->SetValidFlags(0);
  }
  if (defaultsChanged_) defaultsChanged_();
}

bool CWavDoc::SetBox(int type) {
  if (type < 0 || type >= kSlotCount) return false;
  boxes_[type].reset();
  boxes_[type] = CreateBox(type, false);
  RecalcExtent();
  return true;
}

void CWavDoc::ReplanRulePlacedBoxes() {
  // As if the rule had placed them one by one on an empty page, the information box first as
  // in a new document; the user's boxes stay put.
  std::vector<PlacedBox> placed;
  std::vector<int> order = {kBoxInfo};
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (slot != kBoxInfo) order.push_back(slot);
  }
  for (int slot : order) {
    CBox* box = boxes_[slot].get();
    if (!box || box->PlacedByUser()) continue;
    const PlannedBox plan = PlanBoxRects(slot, false, placed, nullptr, page_, stringSize_);
    box->SetRect(plan.box, &plan.plot);
    box->SetPlotRect(plan.plot);  // the axes follow the plot
    box->SetValidFlags(0);
    placed.push_back({slot, plan.box});
  }
  Apply3DSettings();
  RecalcExtent();
  UpdateAllViews();
}

void CWavDoc::RemoveBox(int type) {
  if (type < 0 || type >= kSlotCount) return;
  boxes_[type].reset();
  RecalcExtent();
}

void CWavDoc::CreateDefaultBoxes() {
  for (int type : DefaultBoxTypes(wave_.Channels())) SetBox(type);
}

void CWavDoc::RecalcExtent() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!boxes_[slot]) continue;
    if (boxes_[slot]->PlacedByUser()) {
      savedRects_[slot] = std::make_unique<Rect>(boxes_[slot]->GetRect());
    } else {
      savedRects_[slot].reset();
    }
  }
  FitPageToBoxes(PlacedBoxes(), page_, PageFrom(*app_));
}

const Rect* CWavDoc::SavedRect(int type) const {
  return type >= 0 && type < kSlotCount ? savedRects_[type].get() : nullptr;
}

void CWavDoc::RecalcAllBoxes() {
  for (auto& box : boxes_) {
    if (box) box->Recalc(runPhase_, 1);
  }
}

void CWavDoc::RemoveUnusableBoxes() {
  for (int type = 0; type < kSlotCount; ++type) {
    CBox* box = boxes_[type].get();
    if (!box) continue;
    bool usable;
    if (IsWaveBoxType(type)) {
      usable = static_cast<CWaveBox*>(box)->ClampXToWave() != 0;
    } else {
      bool sideChannel = box->Channel() == kChannelLeft || box->Channel() == kChannelRight;
      usable = box->Wave() && !(wave_.Channels() == 1 && sideChannel);
    }
    if (!usable) boxes_[type].reset();
  }
}

void CWavDoc::ResetWaveBoxes() {
  for (int type = kBoxWaveLeft; type <= kBoxWaveMono; ++type) {
    if (CBox* box = boxes_[type].get()) {
      box->Recalc(runPhase_, 1);
      box->SetValidFlags(box->ValidFlags() & ~CBox::kValidData);
    }
  }
  context_.record.fftRangeStart = 0;
  context_.record.fftRangeEnd = wave_.FrameCount() > 0 ? wave_.FrameCount() - 1 : 0;
}

void CWavDoc::ClearWaveBoxFlags() {
  for (int type = kBoxWaveLeft; type <= kBoxWaveMono; ++type) {
    if (CBox* box = boxes_[type].get()) box->SetValidFlags(0);
  }
}

std::array<bool, CWavDoc::kSlotCount> CWavDoc::BoxPresence() const {
  std::array<bool, kSlotCount> present{};
  for (int slot = 0; slot < kSlotCount; ++slot) present[slot] = boxes_[slot] != nullptr;
  return present;
}

CBox* CWavDoc::GetBox(int slot) const {
  return slot >= 0 && slot < kSlotCount ? boxes_[slot].get() : nullptr;
}

// --- waves ----------------------------------------------------------------------------

bool CWavDoc::LoadWaveIntoDocument(const std::string& path) {
  // The new file is read on the side: a file that cannot be read must not cost the user
  // the wave and the layout that are open now.
  CWave loaded;
  if (!loaded.LoadWaveFile(path)) return false;
  for (auto& box : boxes_) box.reset();
  wave_.TakeSamplesFrom(loaded);
  runPhase_ = kRunIdle;
  context_.record.fftRangeStart = 0;
  context_.record.fftRangeEnd = wave_.FrameCount();
  context_.record.currentPosition = 0;
  SetWaveFileName(context_.record, FileNamePart(path));
  CreateDefaultBoxes();
  RemoveUnusableBoxes();
  UpdateAllViews();
  return true;
}

bool CWavDoc::SaveWaveFromDocument(const std::string& path) {
  WaitCursor wait;
  return wave_.SaveWaveFile(path, context_.record.fftRangeStart, context_.record.fftRangeEnd);
}

std::string CWavDoc::StashWave() {
  WaitCursor wait;
  std::string path = wave_.SaveToTempFile();
  if (!path.empty()) wave_.Allocate(kStashFrames);
  return path;
}

bool CWavDoc::RestoreWave(const std::string& path) {
  WaitCursor wait;
  if (!wave_.LoadFromFile(path)) return false;
  ::unlink(path.c_str());
  return true;
}

bool CWavDoc::ToMono(uint16_t channels, bool subtract) {
  if (wave_.Channels() == channels) return false;
  WaitCursor wait;
  return wave_.ConvertFormat(wave_.Rate(), wave_.Bits(), channels, subtract);
}

void CWavDoc::Changed() {
  SetModifiedFlag(true);
  UpdateAllViews();
}

void CWavDoc::UpdateTextMargins() {
  stringSize_ = EffectiveStringSize(stringSize_);
  margins_ = TextMarginsFor(stringSize_);
}

void CWavDoc::SetStringSize(int32_t width, int32_t height) {
  if (width == stringSize_.width && height == stringSize_.height) return;
  stringSize_ = {width, height};
  UpdateTextMargins();
  for (auto& box : boxes_) {
    if (!box) continue;
    box->SetPlotRect(ShrinkByTextMargins(box->GetRect(), margins_));
    box->SetValidFlags(0);
  }
  UpdateAllViews();
  if (stringSize_.width != app_->stringWidth || stringSize_.height != app_->stringHeight) {
    app_->stringWidth = stringSize_.width;
    app_->stringHeight = stringSize_.height;
    if (defaultsChanged_) defaultsChanged_();
  }
}

void CWavDoc::SetDocumentFont(const DocumentFont& font) {
  font_ = font;
  app_->font = font;
  if (defaultsChanged_) defaultsChanged_();
  SetModifiedFlag(true);
}
