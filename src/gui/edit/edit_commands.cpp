// The view's command "ウェーブ編集": the document stashes its wave, the editing dialog works
// on it, and the document takes the result back (OK) or its own samples again (Cancel).
#include "core/doc/wav_doc.h"
#include "core/graph/box.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/wav_view.h"
#include "gui/edit/edit_dlg.h"

namespace {

void EditWave(CWavView& view, int) {
  CWavDoc& doc = view.Document();
  const std::string path = doc.StashWave();
  bool accepted = false;
  {
    CEditDlg dlg(&view);
    if (dlg.Initialise(doc, kBoxWaveMono, path)) accepted = dlg.exec() == QDialog::Accepted;
    dlg.HandBack(accepted);
  }
  if (accepted) {
    doc.ResetWaveBoxes();
    view.RebindPanel();
    doc.Changed();
  }
  // The stash's silence may have been shown meanwhile.
  view.InvalidateAll();
}

// The dialog takes the document's samples away for a while: not while a run or the sound
// device works on them.
bool CanEdit(CWavView& view, int) {
  CWavDoc& doc = view.Document();
  return doc.RunPhase() == kRunIdle && !doc.Wave().IsBusy();
}

}  // namespace

std::vector<ViewCommand> EditCommands() {
  return {
      {cmd::kWaveEdit, EditWave, CanEdit},
  };
}
