// What a click or drag into a plot does: set the mark, zoom to a band, or pick a 3D slice.
// One choice for the whole program, kept in the settings.
#include "core/doc/app_settings.h"
#include "core/graph/box.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/wav_view.h"

using namespace cmd;

namespace {

int OperationOf(int id) {
  switch (id) {
    case kMouseMark: return CBox::kMouseMark;
    case kMouseSlice: return CBox::kMouseSlice;
    default: return CBox::kMouseZoomBand;
  }
}

void Choose(CWavView& v, int id) {
  v.App().mouseOp = OperationOf(id);
  CBox::SetMouseOperation(v.App().mouseOp);
}

bool Chosen(CWavView&, int id) { return CBox::GetMouseOperation() == OperationOf(id); }

}  // namespace

std::vector<ViewCommand> MouseCommands() {
  return {
      {kMouseMark, Choose, nullptr, Chosen},
      {kMouseZoom, Choose, nullptr, Chosen},
      {kMouseSlice, Choose, nullptr, Chosen},
  };
}

const char* MouseOperationName(int operation) {
  switch (operation) {
    case CBox::kMouseMark: return "マウス：マーク";
    case CBox::kMouseSlice: return "マウス：3Dデータ選択";
    default: return "マウス：ズーム";
  }
}
