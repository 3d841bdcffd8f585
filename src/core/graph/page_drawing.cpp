#include "core/graph/page_drawing.h"

#include "core/graph/box.h"

CBox* BoxPage::GetActiveBox() const {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    CBox* box = GetBox(slot);
    if (box && box->IsActive()) return box;
  }
  return nullptr;
}

LogFont SelectDocumentFont(DeviceContext& dc, const DocumentFont& font) {
  dc.SetTextColor(font.textColor);
  return dc.SelectFont(font.logFont);
}

Size MeasureLabelCell(DeviceContext& dc, const DocumentFont& font) {
  LogFont previous = dc.SelectFont(font.logFont);
  Size cell = dc.GetTextExtent(kLabelCellSample);
  dc.SelectFont(previous);
  return cell;
}

void DrawBoxPage(DeviceContext& dc, BoxPage& page, const Rect& clip) {
  const Size cell = MeasureLabelCell(dc, page.GetDocumentFont());
  page.SetStringSize(cell.cx, cell.cy);

  const LogFont previous = SelectDocumentFont(dc, page.GetDocumentFont());
  Rect device = dc.LPtoDP(clip);
  device = {device.left - 1, device.top - 1, device.right + 1, device.bottom + 1};
  const Rect area = dc.DPtoLP(device);

  CBox* current = page.GetActiveBox();
  auto drawOne = [&](CBox* box) {
    box->SetValidFlags(box->ValidFlags() & CBox::kValidData);
    box->Draw(dc, &area);
  };
  for (int slot = 0; slot < BoxPage::kSlotCount; ++slot) {
    CBox* box = page.GetBox(slot);
    if (box && box != current) drawOne(box);
  }
  if (current) drawOne(current);
  dc.SelectFont(previous);
}
