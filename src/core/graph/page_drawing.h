#pragma once
// Drawing a document's page of boxes on a device context, as the view paints it: the label
// cell is measured first (the boxes are laid out again when it changed), then every box is
// drawn in slot order with the current box last, so that it lies on top.
#include <cstdint>

#include "core/graph/device_context.h"
#include "core/graph/log_font.h"

class CBox;

// What drawing needs of a document.
class BoxPage {
 public:
  static constexpr int kSlotCount = 13;

  virtual ~BoxPage() = default;
  // The box in a slot, or none.
  virtual CBox* GetBox(int slot) const = 0;
  virtual const DocumentFont& GetDocumentFont() const = 0;
  // The label cell measured on the surface; lays the boxes out again when it changed.
  virtual void SetStringSize(int32_t width, int32_t height) = 0;
  // Page width and height in logical units.
  virtual Size GetDocSize() const = 0;

  // The first box in slot order that is active, or none.
  CBox* GetActiveBox() const;
};

// The text whose extent in the document font is the label cell.
inline constexpr const char kLabelCellSample[] = "-200.0m";

// Sets the text colour to the document's and selects its font (heights are already in the
// logical units of the surface); returns the font it replaced.
LogFont SelectDocumentFont(DeviceContext& dc, const DocumentFont& font);

// The extent of the label cell sample in the document font on dc.
Size MeasureLabelCell(DeviceContext& dc, const DocumentFont& font);

// Paints the page's boxes that meet clip (logical). The clip is widened by one device pixel
// on every side so that borders on its edge are drawn.
void DrawBoxPage(DeviceContext& dc, BoxPage& page, const Rect& clip);
