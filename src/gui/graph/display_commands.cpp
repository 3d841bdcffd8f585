// The display settings' commands: the colour sets of the box kinds and the FFT level
// dialog.
#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/graph/box.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/wav_view.h"
#include "gui/graph/color_scheme_dlg.h"

using namespace cmd;

namespace {

// The box kind whose sets the colour dialog starts with: the current box's, else the first
// shown box's, else 0.
int ColorDialogKind(CWavView& v) {
  if (CBox* box = v.CurrentBox()) return box->GetKind();
  const auto shown = v.Document().BoxPresence();
  for (int slot = 0; slot < static_cast<int>(shown.size()); ++slot) {
    if (shown[slot]) return slot;
  }
  return 0;
}

void ChooseColors(CWavView& v, int) {
  AppSettings& app = v.App();
  CColorSchemeDlg dlg(app.userColors, &v);
  dlg.SetSchemes(app.colorSets, ColorDialogKind(v));
  if (dlg.exec() != QDialog::Accepted) return;
  CWavDoc& doc = v.Document();
  doc.ApplyColorSets(dlg.Schemes());
  v.InvalidateAll();
  doc.Changed();
}

}  // namespace

std::vector<ViewCommand> DisplayCommands() {
  return {
      {kColors, ChooseColors},
      {kFftLevel, [](CWavView& v, int) { v.OpenFftLevelDialog(); }},
  };
}
