// The commands on boxes and their axes: showing and removing boxes, the X default widths,
// cross-hair, grid, font, ranges, zoom and shift, log axes, peak search and the 3D view.
#include <cmath>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/graph/box.h"
#include "core/graph/fft3d_box.h"
#include "core/graph/wave_box.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/wav_view.h"
#include "gui/graph/font_dlg.h"
#include "gui/graph/settings_3d_dlg.h"

using namespace cmd;

namespace {

struct XRangeEntry {
  int id;
  int thousandths;  // of a block
};
constexpr XRangeEntry kXRanges[] = {{kXRangeEighth, 125}, {kXRangeQuarter, 250}, {kXRangeHalf, 500},
                                    {kXRangeOne, 1000},   {kXRangeTwo, 2000},    {kXRangeFour, 4000},
                                    {kXRangeEight, 8000}};

int XRangeThousandths(int id) {
  for (const auto& e : kXRanges) {
    if (e.id == id) return e.thousandths;
  }
  return 0;
}

int BoxSlotOfToggle(int id) {
  if (id >= kWaveLeft && id <= kFftMono) return id - kWaveLeft;
  if (id >= kFft3dLeft && id <= kFft3dMono) return id - kFft3dLeft + kBoxFft3dLeft;
  if (id == kInfoBox) return kBoxInfo;
  return -1;
}

CWaveBox* CurrentWaveBox(CWavView& v) {
  CBox* box = v.CurrentBox();
  const bool wave = box && box->GetKind() >= kBoxWaveLeft && box->GetKind() <= kBoxWaveMono;
  return wave ? static_cast<CWaveBox*>(box) : nullptr;
}

// --- enable and check rules ---
bool BoxWithSamples(CWavView& v, int) { return v.CurrentBox() && v.Document().Wave().FrameCount() > 0; }
bool BoxWithScale(CWavView& v, int) { return v.CurrentBox() && v.CurrentBox()->HasScale(); }
bool HasWaveBox(CWavView& v, int) { return CurrentWaveBox(v) != nullptr; }
bool Has3DBox(CWavView& v, int) { return dynamic_cast<CFFT3DBox*>(v.CurrentBox()) != nullptr; }

// The left and right wave and spectrum boxes need two channels; the mono ones show the only
// channel of a one-channel wave.
bool ChannelBoxAllowed(CWavView& v, int id) {
  return v.Document().Wave().Channels() != 1 || id == kWaveMono || id == kFftMono;
}
bool BoxShown(CWavView& v, int id) { return v.Document().GetBox(BoxSlotOfToggle(id)) != nullptr; }

// --- handlers ---
void ToggleBox(CWavView& v, int id) { v.ToggleBox(BoxSlotOfToggle(id)); }

// Commands that change what the current box shows when their operation says so.
template <int (CBox::*Op)(int), int Arg>
void BoxOperation(CWavView& v, int) {
  if (CBox* box = v.CurrentBox(); box && (box->*Op)(Arg)) v.BoxChanged(box);
}

void CrossHair(CWavView& v, int) {
  CBox* box = v.CurrentBox();
  if (!box || !box->HasScale()) return;
  box->SetCrossHair(!box->CrossHair());
  box->SetValidFlags(0);
  v.InvalidateBox(box);
}

void Grid(CWavView& v, int) {
  CBox* box = v.CurrentBox();
  if (!box || !box->HasScale()) return;
  box->SetGridShown(!box->GridShown());
  box->SetValidFlags(0);
  v.Document().Changed();
  v.InvalidateAll();
}

void ChooseFont(CWavView& v, int) {
  CWavDoc& doc = v.Document();
  DocumentFont font = doc.GetDocumentFont();
  if (!RunFontDialog(&v, font, v.logicalDpiY())) return;
  doc.SetDocumentFont(font);
  v.Relayout();
  doc.ReplanRulePlacedBoxes();
  doc.Changed();
  v.InvalidateAll();
}

void Settings3D(CWavView& v, int) {
  AppSettings& app = v.App();
  C3DSettingsDlg::Values values;
  values.slantXPercent = app.slantXPercent;
  values.slantYPercent = app.slantYPercent;
  values.depthPitch = app.depthPitch;
  values.fillColor = app.fill3dColor;
  values.userColors = app.userColors;
  C3DSettingsDlg dlg(values, &v);
  if (dlg.exec() != QDialog::Accepted) return;
  const C3DSettingsDlg::Values& r = dlg.Result();
  app.slantXPercent = r.slantXPercent;
  app.slantYPercent = r.slantYPercent;
  app.depthPitch = r.depthPitch;
  app.fill3dColor = r.fillColor;
  app.userColors = r.userColors;
  CWavDoc& doc = v.Document();
  doc.Apply3DSettings();
  for (int slot = kBoxFft3dLeft; slot <= kBoxFft3dMono; ++slot) {
    if (CBox* box = doc.GetBox(slot)) box->SetValidFlags(0);
  }
  v.InvalidateAll();
  doc.Changed();
}

}  // namespace

std::vector<ViewCommand> GraphCommands() {
  std::vector<ViewCommand> c;
  for (int id = kWaveLeft; id <= kFftMono; ++id) c.push_back({id, ToggleBox, ChannelBoxAllowed, BoxShown});
  for (int id = kFft3dLeft; id <= kFft3dMono; ++id) c.push_back({id, ToggleBox, nullptr, BoxShown});
  c.push_back({kInfoBox, ToggleBox, nullptr, BoxShown});
  for (const auto& e : kXRanges) {
    c.push_back({e.id, [](CWavView& v, int id) { v.XDefaultRange(XRangeThousandths(id)); }, HasWaveBox,
                 [](CWavView& v, int id) {
                   CWaveBox* box = CurrentWaveBox(v);
                   return box && box->DefaultWidth() == XRangeThousandths(id);
                 }});
  }
  const std::vector<ViewCommand> rest = {
      {kXDefaultRange,
       [](CWavView& v, int) {
         if (CWaveBox* box = CurrentWaveBox(v)) v.XDefaultRange(box->DefaultWidth());
       }},
      {kCrossHair, CrossHair, BoxWithScale, [](CWavView& v, int) { return v.CurrentBox() && v.CurrentBox()->CrossHair(); }},
      {kGrid, Grid, BoxWithScale, [](CWavView& v, int) { return v.CurrentBox() && v.CurrentBox()->GridShown(); }},
      {kFont, ChooseFont},
      {kFullRangeY,
       [](CWavView& v, int) {
         if (CBox* box = v.CurrentBox()) {
           box->FullRangeY();
           v.BoxChanged(box);
         }
       },
       BoxWithSamples},
      {kFullRangeX,
       [](CWavView& v, int) {
         if (CBox* box = v.CurrentBox()) {
           box->FullRangeX();
           v.BoxChanged(box);
         }
       },
       BoxWithSamples},
      {kZoomXIn, BoxOperation<&CBox::ZoomX, 1>, BoxWithSamples},
      {kZoomXOut, BoxOperation<&CBox::ZoomX, 0>, BoxWithSamples},
      {kZoomYIn, BoxOperation<&CBox::ZoomY, 1>, BoxWithSamples},
      {kZoomYOut, BoxOperation<&CBox::ZoomY, 0>, BoxWithSamples},
      {kShiftXPlus, BoxOperation<&CBox::ShiftX, 1>, BoxWithSamples},
      {kShiftXMinus, BoxOperation<&CBox::ShiftX, 0>, BoxWithSamples},
      {kShiftYPlus, BoxOperation<&CBox::ShiftY, 1>, BoxWithSamples},
      {kShiftYMinus, BoxOperation<&CBox::ShiftY, 0>, BoxWithSamples},
      {kLogFrequency,
       [](CWavView& v, int) {
         if (CBox* box = v.CurrentBox(); box && box->CanLogFrequency()) {
           box->ToggleLogFrequency();
           v.InvalidateBox(box);
         }
         v.Document().Changed();
       },
       [](CWavView& v, int) { return v.CurrentBox() && v.CurrentBox()->CanLogFrequency(); },
       [](CWavView& v, int) { return v.CurrentBox() && v.CurrentBox()->IsLogFrequency(); }},
      {kLogLevel,
       [](CWavView& v, int) {
         if (CBox* box = v.CurrentBox(); box && box->CanLogLevel()) {
           box->ToggleLogLevel();
           v.InvalidateBox(box);
         }
         v.Document().Changed();
       },
       [](CWavView& v, int) { return v.CurrentBox() && v.CurrentBox()->CanLogLevel(); },
       [](CWavView& v, int) { return v.CurrentBox() && v.CurrentBox()->IsLogLevel(); }},
      {kAutoRangeY,
       [](CWavView& v, int) {
         if (CBox* box = v.CurrentBox()) {
           box->AutoRangeY();
           v.BoxChanged(box);
         }
       },
       [](CWavView& v, int id) { return BoxWithSamples(v, id) && v.CurrentBox()->CanAutoRangeY(); }},
      {kPeakSearch,
       [](CWavView& v, int) {
         if (CBox* box = v.CurrentBox(); box && box->CanPeakSearch()) {
           box->SetPeakSearch(!box->PeakSearch());
           v.Document().Changed();
         }
       },
       [](CWavView& v, int) { return v.CurrentBox() && v.CurrentBox()->CanPeakSearch(); },
       [](CWavView& v, int) { return v.CurrentBox() && v.CurrentBox()->PeakSearch(); }},
      {kSettings3d, Settings3D},
      {kFocusPlus, [](CWavView& v, int) { v.MoveFocus(1); }, Has3DBox},
      {kFocusMinus, [](CWavView& v, int) { v.MoveFocus(-1); }, Has3DBox},
  };
  c.insert(c.end(), rest.begin(), rest.end());
  return c;
}
