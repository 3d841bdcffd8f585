#include "core/graph/recording_dc.h"

#include <cstdlib>

RecordingDC::RecordingDC(Surface surface)
    : RecordingDC(surface, DeviceMapping::ForPage(1200, 1800, 96, 96)) {}

RecordingDC::RecordingDC(Surface surface, const DeviceMapping& mapping) : surface_(surface) {
  SetMapping(mapping);
}

std::vector<DcCall> RecordingDC::CallsOf(DcCall::Kind kind) const {
  std::vector<DcCall> out;
  for (const DcCall& c : calls_)
    if (c.kind == kind) out.push_back(c);
  return out;
}

std::vector<std::string> RecordingDC::Texts() const {
  std::vector<std::string> out;
  for (const DcCall& c : calls_)
    if (c.kind == DcCall::kText) out.push_back(c.text);
  return out;
}

Size RecordingDC::MeasureWithHeight(const std::string& text, int32_t fontHeight) {
  int32_t cell = fontHeight == 0 ? 35 : std::abs(fontHeight);
  int32_t width2 = 0;  // in half cells
  for (size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    uint32_t cp = lead;
    if (len == 2 && i + 1 < text.size()) cp = ((lead & 0x1Fu) << 6) | (text[i + 1] & 0x3Fu);
    if (len == 3 && i + 2 < text.size())
      cp = ((lead & 0x0Fu) << 12) | ((text[i + 1] & 0x3Fu) << 6) | (text[i + 2] & 0x3Fu);
    bool half = cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F);
    width2 += half ? 1 : 2;
    i += len;
  }
  return {width2 * cell / 2, cell};
}

DcCall RecordingDC::Snapshot(DcCall::Kind kind) const {
  DcCall c;
  c.kind = kind;
  c.pen = CurrentPen();
  c.brush = CurrentBrush();
  c.rop = GetROP2();
  c.textColor = GetTextColor();
  c.bkColor = GetBkColor();
  c.bkMode = GetBkMode();
  c.textAlign = GetTextAlign();
  c.fontHeight = CurrentFont().height;
  c.fontWeight = CurrentFont().weight;
  return c;
}

void RecordingDC::DoLine(Point from, Point to) {
  DcCall c = Snapshot(DcCall::kLine);
  c.from = from;
  c.to = to;
  calls_.push_back(std::move(c));
}

void RecordingDC::DoPolygon(const Point* points, int32_t count) {
  DcCall c = Snapshot(DcCall::kPolygon);
  c.points.assign(points, points + count);
  calls_.push_back(std::move(c));
}

void RecordingDC::DoPixel(Point p, uint32_t color) {
  DcCall c = Snapshot(DcCall::kPixel);
  c.to = p;
  c.color = color;
  calls_.push_back(std::move(c));
}

void RecordingDC::DoFill(const Rect& r, uint32_t color) {
  DcCall c = Snapshot(DcCall::kFill);
  c.rect = r;
  c.color = color;
  calls_.push_back(std::move(c));
}

void RecordingDC::DoText(Point p, const std::string& text, const Rect* clip) {
  DcCall c = Snapshot(DcCall::kText);
  c.to = p;
  c.text = text;
  if (clip) {
    c.clipped = true;
    c.rect = *clip;
  }
  calls_.push_back(std::move(c));
}

Size RecordingDC::DoTextExtent(const std::string& text) {
  DcCall c = Snapshot(DcCall::kTextExtent);
  c.text = text;
  calls_.push_back(std::move(c));
  return MeasureWithHeight(text, CurrentFont().height);
}
